#pragma once
// A conversion of several files into a folder checks every output name against every input
// before writing anything: an output that is one of the inputs (under the same name, another
// spelling, a hard link or a symbolic link) would replace it, perhaps before it is read.
#include <QByteArray>

#include <string>
#include <vector>

namespace pipora::cli {

// One line per output that is the same file as an input: "IN: OUT would replace the input X".
// `outputs[i]` is the output of `inputs[i]`; standard streams and missing files never clash.
std::vector<std::string> OutputsReplacingInputs(const std::vector<QByteArray> &inputs,
                                                const std::vector<QByteArray> &outputs);

} // namespace pipora::cli
