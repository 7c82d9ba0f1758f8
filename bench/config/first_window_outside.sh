#!/usr/bin/env bash
# VykCfg's start to its first visible window, timed from outside the program: a watcher on a
# private Xvfb starts the program and polls the X server (no help from the program itself)
# until a top-level window of 801×638 is mapped, and then until its pixels are no longer the
# black of the server's root (the first frame has reached the screen). The floor is the bare
# Qt window of bench/config/floor_window.cpp (built beside the benchmarks). The three programs
# take turns, so a busy machine slows them alike: the floor, VykCfg finding an empty store
# (it writes its defaults first) and VykCfg finding the store an untimed first start left.
# Each start has its own runtime folder, home and Documents; VykCfg runs with the built
# resources and no monitor beside it, so it starts nothing else.
#
# Usage: bench/config/first_window_outside.sh [runs] [VykCfg program]
#   runs     starts of each program (default 15)
#   program  default build/bin/VykCfg (build first: bash scripts/build.sh release)
# Prints, for each program, the median and the quartiles of start to mapped and start to first
# frame in ms, the median resident memory 500 ms after the first frame, and VykCfg's medians
# over the floor's.
set -euo pipefail
here="$(cd "$(dirname "$0")/../.." && pwd)"
runs="${1:-15}"
program="$(realpath "${2:-$here/build/bin/VykCfg}")"
floor="$here/build/bench-bin/vyk_config_floor_window"
for f in "$program" "$floor"; do
  [ -x "$f" ] || { echo "missing $f: bash scripts/build.sh release" >&2; exit 2; }
done
command -v Xvfb >/dev/null || { echo "Xvfb is not installed: bash scripts/setup.sh" >&2; exit 2; }

work="$(mktemp -d /tmp/vyk-first-window-XXXXXX)"
xvfb_pid=""
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# The X server: a black root (-br), so a window that has not drawn yet reads black.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -br -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb_pid=$!
exec 3>&-
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
[ -s "$work/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"

# The resources VykCfg reads, without the monitor.
mkdir -p "$work/exe"
bindir="$(dirname "$program")"
[ -d "$bindir/images" ] || bindir="$here/build/bin"
for name in ui.local config.ini images libuiHook.so; do
  [ -e "$bindir/$name" ] && ln -s "$bindir/$name" "$work/exe/$name"
done

python3 - "$runs" "$program" "$floor" "$work" <<'EOF'
import ctypes, ctypes.util, os, shutil, signal, statistics, subprocess, sys, time

runs, program, floor, work = int(sys.argv[1]), sys.argv[2], sys.argv[3], sys.argv[4]
WIDTH, HEIGHT = 801, 638

x11 = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11"))
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XDefaultRootWindow.restype = ctypes.c_ulong
x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
x11.XQueryTree.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_ulong),
                           ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.POINTER(ctypes.c_ulong)),
                           ctypes.POINTER(ctypes.c_uint)]
x11.XFree.argtypes = [ctypes.c_void_p]
x11.XGetImage.restype = ctypes.c_void_p
x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                          ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
x11.XGetPixel.restype = ctypes.c_ulong
x11.XGetPixel.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int]
x11.XDestroyImage.argtypes = [ctypes.c_void_p]
x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
ErrorHandler = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)
ignore_errors = ErrorHandler(lambda d, e: 0)  # a window that went away between two requests
x11.XSetErrorHandler(ignore_errors)

class Attributes(ctypes.Structure):  # XWindowAttributes
    _fields_ = [("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int), ("height", ctypes.c_int),
                ("border_width", ctypes.c_int), ("depth", ctypes.c_int), ("visual", ctypes.c_void_p),
                ("root", ctypes.c_ulong), ("class_", ctypes.c_int), ("bit_gravity", ctypes.c_int),
                ("win_gravity", ctypes.c_int), ("backing_store", ctypes.c_int),
                ("backing_planes", ctypes.c_ulong), ("backing_pixel", ctypes.c_ulong),
                ("save_under", ctypes.c_int), ("colormap", ctypes.c_ulong), ("map_installed", ctypes.c_int),
                ("map_state", ctypes.c_int), ("all_event_masks", ctypes.c_long),
                ("your_event_mask", ctypes.c_long), ("do_not_propagate_mask", ctypes.c_long),
                ("override_redirect", ctypes.c_int), ("screen", ctypes.c_void_p)]
x11.XGetWindowAttributes.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(Attributes)]
IS_VIEWABLE, ALL_PLANES, Z_PIXMAP = 2, 0xFFFFFFFF, 2

display = x11.XOpenDisplay(None)
if not display:
    sys.exit("cannot open " + os.environ.get("DISPLAY", ""))
root = x11.XDefaultRootWindow(display)

def mapped_window():
    """The viewable top-level window of VykCfg's size, or 0."""
    r, p, n = ctypes.c_ulong(), ctypes.c_ulong(), ctypes.c_uint()
    children = ctypes.POINTER(ctypes.c_ulong)()
    if not x11.XQueryTree(display, root, ctypes.byref(r), ctypes.byref(p), ctypes.byref(children), ctypes.byref(n)):
        return 0
    found = 0
    for i in range(n.value):
        a = Attributes()
        if (x11.XGetWindowAttributes(display, children[i], ctypes.byref(a)) and a.map_state == IS_VIEWABLE
                and a.width == WIDTH and a.height == HEIGHT):
            found = children[i]
    if children:
        x11.XFree(children)
    return found

# Points of the window that both programs paint in a colour other than black.
SAMPLES = [(WIDTH // 2, HEIGHT // 2), (12, 12), (WIDTH - 12, HEIGHT - 12), (WIDTH // 4, HEIGHT - 40)]

def painted(window):
    for x, y in SAMPLES:
        image = x11.XGetImage(display, window, x, y, 1, 1, ALL_PLANES, Z_PIXMAP)
        if image:
            pixel = x11.XGetPixel(image, 0, 0)
            x11.XDestroyImage(image)
            if pixel & 0xFFFFFF:
                return True
    return False

def status_kib(pid, key):
    try:
        with open(f"/proc/{pid}/status") as f:
            for line in f:
                if line.startswith(key + ":"):
                    return int(line.split()[1])
    except OSError:
        pass
    return 0

def start_once(path, root_dir):
    """Start to mapped and to first frame (s), and resident memory (KiB) after settling."""
    for d in ("home", "runtime", "docs", "registry"):
        os.makedirs(os.path.join(root_dir, d), exist_ok=True)
    os.chmod(os.path.join(root_dir, "runtime"), 0o700)
    env = dict(os.environ, QT_QPA_PLATFORM="xcb", HOME=os.path.join(root_dir, "home"),
               XDG_RUNTIME_DIR=os.path.join(root_dir, "runtime"), VYK_EXE_DIR=os.path.join(work, "exe"),
               VYK_DOCUMENTS_DIR=os.path.join(root_dir, "docs"),
               VYK_REGISTRY_ROOT=os.path.join(root_dir, "registry"))
    env.pop("VYK_DEBUG", None)
    env.pop("VYK_DEBUG_LOG", None)
    t0 = time.monotonic()
    proc = subprocess.Popen([path], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    t_map = t_frame = None
    window = 0
    while time.monotonic() - t0 < 60 and proc.poll() is None:
        if not window:
            window = mapped_window()
            if window:
                t_map = time.monotonic() - t0
        if window and painted(window):
            t_frame = time.monotonic() - t0
            break
        time.sleep(0.0005)
    rss = 0
    if t_frame is not None:
        time.sleep(0.5)
        rss = status_kib(proc.pid, "VmRSS")
    proc.send_signal(signal.SIGKILL)
    proc.wait()
    x11.XSync(display, 0)
    if t_frame is None:
        sys.exit(f"{path} showed no painted window")
    return t_map, t_frame, rss

kinds = [("floor", floor, False), ("VykCfg", program, False), ("VykCfgStored", program, True)]
results = {k: [] for k, _, _ in kinds}
stored_dir = os.path.join(work, "stored")
start_once(program, stored_dir)  # leaves the store the stored starts find
for i in range(runs):
    for name, path, stored in kinds:
        d = stored_dir if stored else os.path.join(work, f"run-{name}-{i}")
        results[name].append(start_once(path, d))
        if not stored:
            shutil.rmtree(d, ignore_errors=True)

def quartiles(values):
    q = statistics.quantiles(values, n=4) if len(values) > 1 else [values[0]] * 3
    return q[0] * 1000, q[1] * 1000, q[2] * 1000

print(f"{runs} starts each on {os.environ['DISPLAY']}; times in ms (median [first quartile, third quartile])")
print(f"{'program':<14}{'to mapped':>26}{'to first frame':>26}{'RSS MiB':>10}")
medians = {}
for name, _, _ in kinds:
    maps = [r[0] for r in results[name]]
    frames = [r[1] for r in results[name]]
    rss = statistics.median(r[2] for r in results[name]) / 1024
    m1, m2, m3 = quartiles(maps)
    f1, f2, f3 = quartiles(frames)
    medians[name] = (m2, f2, rss)
    print(f"{name:<14}{m2:>9.1f} [{m1:6.1f}, {m3:6.1f}]{f2:>11.1f} [{f1:6.1f}, {f3:6.1f}]{rss:>10.1f}")
fm, ff, fr = medians["floor"]
for name in ("VykCfg", "VykCfgStored"):
    m, f, r = medians[name]
    print(f"{name} / floor: mapped {m / fm:.2f}x, first frame {f / ff:.2f}x, memory {r / fr:.2f}x "
          f"({r:.1f} MiB; aim <= {1.5 * fr + 20:.1f})")
EOF
