"""The tool as a screen reader finds it over AT-SPI: run inside dbus-run-session.

Starts its own Xvfb, the accessibility bus and the registry, switches on the
screen reader flags, then converts an archive through the button's action and
closes the message through its OK. Usage: AtspiToolTest.py TOOL XVFB XDOTOOL
"""
import os
import subprocess
import sys
import tempfile
import time

import gi
gi.require_version("Atspi", "2.0")
from gi.repository import Gio, GLib  # noqa: E402
import pyatspi  # noqa: E402

TOOL, XVFB, XDOTOOL = os.path.abspath(sys.argv[1]), sys.argv[2], sys.argv[3]
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


def main():
    r, w = os.pipe()
    start([XVFB, "-displayfd", str(w), "-screen", "0", "1024x768x24", "-nolisten", "tcp"], pass_fds=(w,))
    os.close(w)
    os.environ["DISPLAY"] = ":" + os.read(r, 16).decode().strip()
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

    work = tempfile.mkdtemp()
    os.mkdir(os.path.join(work, "Data"))
    with open(os.path.join(work, "Data", "1234.kar"), "w") as f:
        f.write("uno")
    tool = start([TOOL], cwd=work)

    def application():
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            if app is not None and app.get_process_id() == tool.pid and app.childCount:
                return app
        return None

    app = wait_for("the tool's application", application)
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
    assert action.doAction(0)

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
    assert app.childCount == 1, "the alert's frame outlived it"
    # No frame has a close action: the keyboard closes the window, as its user would.
    subprocess.run([XDOTOOL, "key", "alt+F4"], check=True)

    assert tool.wait(20) == 0, "the tool's exit code"
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
