#!/usr/bin/env python3
"""Keeps the source tree's shape: the core never reaches up into windows, settings or the
programs, and the platform backends use nothing of the program but the model.

  core (model, formats, editing, engraving, playback, session): no Qt Widgets/Gui header,
      nothing from views/, settings/, app/ or platform/ui/
  score_drawing: paints on any QPainter device, so Qt Gui but no widget, printer or window
      header, and nothing from views/, settings/, app/, session/ or platform/
  platform: from the program's own folders, only model/ and platform/
  views, settings: no MIDI backend (platform/midi/); they choose and play sound through the
      session and the playback folder
  app/cli: no song decoder (the SMD and MIDI readers); it reads songs through the session's
      file layer, as the editor does
  views: the song only for reading (AppContext's `const Song &song`); no call of the session's
      writable song(), no const_cast of a Song: they change it through the session's commands
  score drawing and layout (engraving/, score_drawing/, editing/score_geometry): take the song as `const Song &` only; what they work out goes into
      the sheet and the laid-out parts, never into the song

Prints every offending include as file:line and exits 1; exits 0 when the shape holds.
Usage: layering.py [SOURCE_ROOT]   (default: PIPORAPAD_SOURCE_DIR, else this checkout)
"""
import glob
import os
import re
import sys

CORE_FOLDERS = ("model", "formats", "editing", "engraving", "playback", "session")
CORE_FORBIDDEN_FOLDERS = ("views/", "settings/", "app/", "platform/ui/")
PLATFORM_ALLOWED_FOLDERS = ("model/", "platform/")
PROGRAM_FOLDERS = CORE_FOLDERS + ("platform", "settings", "score_drawing", "views", "app")
DRAWING_FOLDER = "score_drawing"
DRAWING_FORBIDDEN_FOLDERS = ("views/", "settings/", "app/", "session/", "platform/")
DRAWING_FORBIDDEN_MODULES = ("QtWidgets", "QtOpenGLWidgets", "QtPrintSupport")
WINDOW_FOLDERS = ("views", "settings")
WINDOW_FORBIDDEN_FOLDERS = ("platform/midi/",)
CLI_FORBIDDEN_HEADERS = ("formats/smd/smd_reader.h", "formats/midi/smf_reader.h",
                         "formats/midi/smf_import.h")

# Qt modules that need a screen; their class headers are listed from the installed Qt.
WIDGET_MODULES = ("QtGui", "QtWidgets", "QtOpenGL", "QtOpenGLWidgets", "QtPrintSupport", "QtSvg")
# Used when no Qt headers are installed where we look.
FALLBACK_WIDGET_HEADERS = {
    "QAction", "QApplication", "QBrush", "QClipboard", "QColor", "QCursor", "QDialog",
    "QFont", "QFontMetrics", "QGuiApplication", "QIcon", "QImage", "QKeyEvent",
    "QKeySequence", "QLabel", "QMainWindow", "QMenu", "QMessageBox", "QMouseEvent",
    "QPainter", "QPalette", "QPen", "QPixmap", "QScreen", "QWidget", "QWindow",
}

VIEW_CONTEXT = os.path.join("views", "app_context.h")
CONST_CONTEXT_SONG = re.compile(r"^\s*const\s+Song\s*&\s*song\s*;", re.M)
WRITABLE_SONG_CALL = re.compile(r"(?:\.|->)\s*song\s*\(\s*\)")
SONG_CONST_CAST = re.compile(r"const_cast\s*<\s*(?:pipora::)?Song\b")
# The score's drawing and layout, relative to src/.
SCORE_DRAWING_FILES = ("engraving/*", "editing/score_geometry.*", "score_drawing/*")
# A Song reference or pointer not marked const just before it.
WRITABLE_SONG = re.compile(r"(\bconst\s+)?\b(?:pipora::)?Song\s*[&*](?!&)")

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def qt_include_dirs():
    candidates = [os.environ.get("QT_INCLUDE_DIR", "")]
    candidates += glob.glob("/usr/include/*/qt6") + ["/usr/include/qt6"]
    return [d for d in candidates if d and os.path.isdir(d)]


def widget_headers():
    headers = set()
    for root in qt_include_dirs():
        for module in WIDGET_MODULES:
            folder = os.path.join(root, module)
            if os.path.isdir(folder):
                headers.update(n for n in os.listdir(folder) if n.startswith("Q") and "." not in n)
    return headers or set(FALLBACK_WIDGET_HEADERS)


def is_widget_header(name, headers):
    module = name.split("/", 1)[0]
    if module in WIDGET_MODULES:
        return True
    return name.split("/")[-1] in headers


def source_files(folder):
    for dirpath, _, names in os.walk(folder):
        for name in sorted(names):
            if name.endswith((".h", ".hpp", ".cpp", ".cc")):
                yield os.path.join(dirpath, name)


def includes(path):
    with open(path, encoding="utf-8", errors="replace") as f:
        for number, line in enumerate(f, 1):
            m = INCLUDE.match(line)
            if m:
                yield number, m.group(1), m.group(2)


def view_writes(src):
    """Where a view could write the song outside the session's commands."""
    problems = []
    context = os.path.join(src, VIEW_CONTEXT)
    if os.path.isfile(context):
        with open(context, encoding="utf-8", errors="replace") as f:
            if not CONST_CONTEXT_SONG.search(f.read()):
                problems.append(f"src/{VIEW_CONTEXT}: the windows' song is not `const Song &song`")
    for path in source_files(os.path.join(src, "views")):
        if os.path.relpath(path, src) == VIEW_CONTEXT:
            continue  # binds the session's song as const for every window
        with open(path, encoding="utf-8", errors="replace") as f:
            for number, line in enumerate(f, 1):
                code = line.split("//", 1)[0]
                where = f"{os.path.relpath(path, os.path.dirname(src))}:{number}"
                if WRITABLE_SONG_CALL.search(code):
                    problems.append(f"{where}: a view takes the session's writable song()")
                if SONG_CONST_CAST.search(code):
                    problems.append(f"{where}: a view casts the song's const away")
    return problems


def score_drawing_writes(src):
    """Where the score's drawing or layout could write the song."""
    problems = []
    paths = sorted({p for pattern in SCORE_DRAWING_FILES
                    for p in glob.glob(os.path.join(src, pattern))})
    for path in paths:
        if not path.endswith((".h", ".hpp", ".cpp", ".cc")):
            continue
        with open(path, encoding="utf-8", errors="replace") as f:
            for number, line in enumerate(f, 1):
                code = line.split("//", 1)[0]
                if any(not m.group(1) for m in WRITABLE_SONG.finditer(code)):
                    where = f"{os.path.relpath(path, os.path.dirname(src))}:{number}"
                    problems.append(f"{where}: the score's drawing or layout takes a writable Song")
    return problems


def drawing_header_modules():
    """Class header name -> Qt module, for the modules the drawing may not use."""
    modules = {}
    for root in qt_include_dirs():
        for module in DRAWING_FORBIDDEN_MODULES:
            folder = os.path.join(root, module)
            if os.path.isdir(folder):
                modules.update((n, module) for n in os.listdir(folder)
                               if n.startswith("Q") and "." not in n)
    return modules


def drawing_reaches(src):
    """Where the score's drawing reaches windows, the session or a backend."""
    forbidden = drawing_header_modules()
    problems = []
    for path in source_files(os.path.join(src, DRAWING_FOLDER)):
        for number, bracket, name in includes(path):
            where = f"{os.path.relpath(path, os.path.dirname(src))}:{number}"
            module = name.split("/", 1)[0]
            if bracket == "<" and (module in DRAWING_FORBIDDEN_MODULES or
                                   name.split("/")[-1] in forbidden):
                problems.append(f"{where}: the score's drawing includes the widget header <{name}>")
            elif bracket == '"' and name.startswith(DRAWING_FORBIDDEN_FOLDERS):
                problems.append(f'{where}: the score drawing includes "{name}"')
    return problems


def check(src):
    headers = widget_headers()
    problems = drawing_reaches(src)
    for folder in CORE_FOLDERS:
        for path in source_files(os.path.join(src, folder)):
            for number, bracket, name in includes(path):
                where = f"{os.path.relpath(path, os.path.dirname(src))}:{number}"
                if bracket == "<" and is_widget_header(name, headers):
                    problems.append(f"{where}: core includes the widget header <{name}>")
                elif bracket == '"' and name.startswith(CORE_FORBIDDEN_FOLDERS):
                    problems.append(f'{where}: core includes "{name}"')
    for folder in WINDOW_FOLDERS:
        for path in source_files(os.path.join(src, folder)):
            for number, bracket, name in includes(path):
                if bracket == '"' and name.startswith(WINDOW_FORBIDDEN_FOLDERS):
                    where = f"{os.path.relpath(path, os.path.dirname(src))}:{number}"
                    problems.append(f'{where}: {folder} reaches the backend "{name}"')
    for path in source_files(os.path.join(src, "app", "cli")):
        for number, bracket, name in includes(path):
            if bracket == '"' and name in CLI_FORBIDDEN_HEADERS:
                where = f"{os.path.relpath(path, os.path.dirname(src))}:{number}"
                problems.append(f'{where}: the command-line tool decodes songs itself ("{name}")')
    for path in source_files(os.path.join(src, "platform")):
        for number, bracket, name in includes(path):
            if bracket != '"' or name.split("/", 1)[0] not in PROGRAM_FOLDERS:
                continue
            if not name.startswith(PLATFORM_ALLOWED_FOLDERS):
                where = f"{os.path.relpath(path, os.path.dirname(src))}:{number}"
                problems.append(f'{where}: a backend includes "{name}" (only model/ allowed)')
    return problems + view_writes(src) + score_drawing_writes(src)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    root = (sys.argv[1] if len(sys.argv) > 1 else
            os.environ.get("PIPORAPAD_SOURCE_DIR") or os.path.join(here, "..", ".."))
    src = os.path.join(os.path.abspath(root), "src")
    if not os.path.isdir(os.path.join(src, "model")):
        print(f"no source tree at {src}", file=sys.stderr)
        return 2
    problems = check(src)
    for problem in problems:
        print(problem)
    if problems:
        print(f"{len(problems)} place(s) break the layering", file=sys.stderr)
        return 1
    print("layering holds")
    return 0


if __name__ == "__main__":
    sys.exit(main())
