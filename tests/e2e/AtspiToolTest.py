"""The tool as a screen reader finds it over AT-SPI: run inside dbus-run-session.

Starts its own Xvfb, window manager, accessibility bus and registry, switches on the
screen reader flags and runs Orca, speaking through speech-dispatcher to nothing.
The same GTK 3 window is run first: what Orca says for it, the tool must make it say.
Each presses the button with Enter and closes the message through OK's action.
Usage: AtspiToolTest.py TOOL XVFB XDOTOOL OPENBOX SPEECHD ORCA; "control" runs that window.
"""
import os
import re
import subprocess
import sys
import tempfile
import threading
import time
import tty

import gi
if sys.argv[1:] == ["control"]:
    gi.require_version("Gtk", "3.0")
    from gi.repository import GLib, Gtk
    window = Gtk.Window(title="Lyrimat to Vocarium")
    message = Gtk.MessageDialog(transient_for=window, modal=True, text="Ho Finito!", buttons=Gtk.ButtonsType.OK)
    button = Gtk.Button(label="Coverti Archivio")
    button.connect("clicked", lambda _: (message.run(), message.hide()))
    window.add(button)
    window.connect("destroy", Gtk.main_quit)
    # GTK's bridge hooks the window events once the registry has answered it.
    GLib.timeout_add(1000, window.show_all)
    sys.exit(Gtk.main())
gi.require_version("Atspi", "2.0")
from gi.repository import Gio, GLib  # noqa: E402
import pyatspi  # noqa: E402

TOOL, XVFB, XDOTOOL, OPENBOX, SPEECHD, ORCA = [os.path.abspath(sys.argv[1])] + sys.argv[2:7]
started = []  # every process of the test, stopped by its own PID at the end


def start(args, **kw):
    p = subprocess.Popen(args, **kw)
    started.append(p)
    return p


def wait_for(what, probe, seconds=20):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        found = probe()
        if found:
            return found
        time.sleep(0.1)
    raise AssertionError("never found: " + what)


def find(node, role, name=None):
    if node.getRole() == role and name in (None, node.name):
        return node
    for i in range(node.childCount):
        hit = find(node.getChildAtIndex(i), role, name)
        if hit:
            return hit
    return None


def show(node, depth=0):
    states = sorted(pyatspi.stateToString(s) for s in node.getState().getStates())
    print("  " * depth + "%s %r [%s]" % (node.getRoleName(), node.name, " ".join(states)))
    for i in range(node.childCount):
        show(node.getChildAtIndex(i), depth + 1)


def states(node):
    return set(node.getState().getStates())


class Orca:
    """Orca in a throwaway home, and what its debug log says it spoke. Speech-dispatcher
    stops the speech module it starts."""

    def __init__(self, home):
        env = dict(os.environ, HOME=home, XDG_RUNTIME_DIR=home, GSETTINGS_BACKEND="memory", GIO_USE_VFS="local")
        os.makedirs(home + "/.config/speech-dispatcher")
        with open(home + "/.config/speech-dispatcher/speechd.conf", "w") as f:
            f.write('AudioOutputMethod "libao"\nAddModule "espeak-ng" "sd_espeak-ng" "espeak-ng.conf"\n')
        with open(home + "/.libao", "w") as f:
            f.write("default_driver=null\n")
        start([SPEECHD, "--run-single", "--timeout", "0"], env=env, stderr=subprocess.DEVNULL)
        wait_for("speech-dispatcher", lambda: os.path.exists(home + "/speech-dispatcher/speechd.sock"))
        # A terminal for a debug file: Orca writes it line by line, where a file would
        # hold the last lines back.
        master, self.terminal = os.openpty()
        tty.setraw(self.terminal)
        self.said, self.heard = [], 0
        threading.Thread(target=self.listen, args=(master,), daemon=True).start()
        start([ORCA, "--user-prefs", home + "/orca", "--debug-file", os.ttyname(self.terminal)], env=env)
        self.expect("Screen reader on")

    def listen(self, master):
        for line in open(master, errors="replace"):
            self.said += re.findall(r"SPEECH OUTPUT: '(.*?)'(?= ?{|$)", line)

    def expect(self, *phrases):
        """Waits until the speech since the last call holds each phrase; returns it."""
        def spoken():
            said = self.said[self.heard:]
            return said if all(any(p in line for line in said) for p in phrases) else None
        said = wait_for("Orca saying %r" % (phrases,), spoken)
        self.heard += len(said)
        print("Orca:", " | ".join(said))
        return said


def main():
    home = tempfile.mkdtemp()
    r, w = os.pipe()
    start([XVFB, "-displayfd", str(w), "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset"], pass_fds=(w,))
    os.close(w)
    os.environ["DISPLAY"] = ":" + os.read(r, 16).decode().strip()
    start([OPENBOX, "--sm-disable"], env=dict(os.environ, HOME=home))
    start(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"])
    session = Gio.bus_get_sync(Gio.BusType.SESSION)
    wait_for("the accessibility bus", lambda: session.call_sync(
        "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "NameHasOwner",
        GLib.Variant("(s)", ("org.a11y.Bus",)), None, 0, -1).unpack()[0])
    for flag in ("IsEnabled", "ScreenReaderEnabled"):
        session.call_sync("org.a11y.Bus", "/org/a11y/bus", "org.freedesktop.DBus.Properties", "Set",
                          GLib.Variant("(ssv)", ("org.a11y.Status", flag, GLib.Variant("b", True))),
                          None, 0, -1)
    start(["/usr/libexec/at-spi2-registryd", "--use-gnome-session"])
    desktop = wait_for("the registry", lambda: pyatspi.Registry.getDesktop(0))
    orca = Orca(home)
    try:
        run(desktop, orca, [sys.executable, os.path.abspath(__file__), "control"])
    except AssertionError as e:
        raise AssertionError("the GTK control failed, the environment is broken: %s" % e) from e
    run(desktop, orca, [TOOL])


def run(desktop, orca, command):
    work = tempfile.mkdtemp()
    os.mkdir(os.path.join(work, "Data"))
    with open(os.path.join(work, "Data", "1234.kar"), "w") as f:
        f.write("uno")
    tool = start(command, cwd=work)

    def application():
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            if app is not None and app.get_process_id() == tool.pid and app.childCount:
                return app
        return None

    app = wait_for("the tool's application", application)
    orca.expect("Lyrimat to Vocarium frame", "Coverti Archivio push button")
    frame = wait_for("the main frame", lambda: find(app, pyatspi.ROLE_FRAME, "Lyrimat to Vocarium"))
    button = find(frame, pyatspi.ROLE_PUSH_BUTTON, "Coverti Archivio")
    show(app)
    assert button, "no push button"
    assert {pyatspi.STATE_ENABLED, pyatspi.STATE_FOCUSABLE} <= states(button)
    assert pyatspi.STATE_ACTIVE in states(frame)
    action = button.queryAction()
    assert action.getName(0) == "click", action.getName(0)
    x, y, width, height = button.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    assert width > 0 and height > 0
    subprocess.run([XDOTOOL, "key", "Tab"], check=True)
    orca.expect("tab")
    subprocess.run([XDOTOOL, "key", "KP_Enter"], check=True)  # Orca's "where am I": Orca's alone
    orca.expect("Coverti Archivio push button")
    assert not find(app, pyatspi.ROLE_ALERT), "Orca's key pressed the button"
    subprocess.run([XDOTOOL, "key", "Return"], check=True)
    orca.expect("Ho Finito!", "OK push button")

    alert = wait_for("the alert", lambda: find(app, pyatspi.ROLE_ALERT))
    show(app)
    text = find(alert, pyatspi.ROLE_LABEL, "Ho Finito!")
    assert text, "no message text"
    reading = text.queryText()
    assert reading.getText(0, -1) == "Ho Finito!"
    assert wait_for("the alert active", lambda: pyatspi.STATE_ACTIVE in states(alert))
    ok = find(alert, pyatspi.ROLE_PUSH_BUTTON, "OK")
    assert ok.queryAction().doAction(0)
    wait_for("the main frame active again", lambda: pyatspi.STATE_ACTIVE in states(frame))
    orca.expect("Lyrimat to Vocarium frame", "Coverti Archivio push button")
    assert app.childCount == 1, "the alert's frame outlived it"
    # No frame has a close action: the keyboard closes the window, as its user would.
    subprocess.run([XDOTOOL, "key", "alt+F4"], check=True)

    assert tool.wait(20) == 0, "the tool's exit code"
    if command != [TOOL]:
        return
    converted = os.path.join(work, "Data", "01", "01234.kar")
    with open(converted) as f:
        assert f.read() == "uno"
    print("converted:", os.path.relpath(converted, work))


try:
    main()
finally:
    for p in reversed(started):
        if p.poll() is None:
            p.terminate()
            try:
                p.wait(5)
            except subprocess.TimeoutExpired:
                p.kill()
