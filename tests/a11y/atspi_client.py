"""The calculator as a screen reader sees it, driven through AT-SPI like a real client.

Started by run_atspi_test.sh inside its own X server, session bus and accessibility bus, with the
program already running. Types the inputs through EditableText, presses Calculate through Action,
and checks what a screen-reader user gets: the announced results, the copied results and a tree
without decorative noise. Exits non-zero with a message on the first failed check.
"""

import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

TIMEOUT = 10.0


def fail(message):
    print("FAIL: " + message, file=sys.stderr)
    sys.exit(1)


def pump(seconds):
    """Lets the event listeners run for a while."""
    context = GLib.MainContext.default()
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        while context.iteration(False):
            pass
        time.sleep(0.01)


def wait_for(predicate, what, seen=None, timeout=TIMEOUT):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        value = predicate()
        if value:
            return value
        pump(0.05)
    fail("timed out waiting for " + what + ("; seen: %r" % (seen,) if seen is not None else ""))


def find_application():
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is not None and app.name == "Voranth":
            return app
    return None


def walk(node):
    yield node
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            yield from walk(child)


def text_of(node):
    text = node.queryText()
    return text.getText(0, text.characterCount)


def main():
    # Start-up takes longest on a busy machine.
    app = wait_for(find_application, "the program on the accessibility bus", timeout=3 * TIMEOUT)
    nodes = list(walk(app))[1:]
    by_name = {node.name: node for node in nodes}

    # The tree: every focusable object named; no one-character captions, no unnamed lines.
    for node in nodes:
        states = node.getState()
        if states.contains(pyatspi.STATE_FOCUSABLE) and not node.name:
            fail("a focusable %s has no name" % node.getRoleName())
        if node.getRole() not in (pyatspi.ROLE_FRAME, pyatspi.ROLE_WINDOW) and len(node.name) < 3:
            fail("decorative %s %r is in the tree" % (node.getRoleName(), node.name))

    def box(name):
        if name not in by_name:
            fail("no object named %r; the tree holds %s" % (name, sorted(by_name)))
        return by_name[name]

    # What a screen reader speaks after Calculate: a notification as it appears, read at the event
    # as Orca reads it (its name, or the text the event carries).
    spoken = []

    def on_showing(event):
        if event.detail1 and event.source.getRole() == pyatspi.ROLE_NOTIFICATION:
            text = event.any_data if isinstance(event.any_data, str) and event.any_data else ""
            spoken.append(text or event.source.name)

    pyatspi.Registry.registerEventListener(on_showing, "object:state-changed:showing")
    # The program learns of the new listener through the registry, asynchronously.
    pump(0.5)

    # The worked example: Z0 50, ΓS 0.5 at 90°, ΓL 0.2 at 0°.
    inputs = {
        "Reference impedance Z0, ohms": "50",
        "Source reflection coefficient ΓS, magnitude": "0.5",
        "Source reflection coefficient ΓS, angle in degrees": "90",
        "Load reflection coefficient ΓL, magnitude": "0.2",
        "Load reflection coefficient ΓL, angle in degrees": "0",
    }
    for name, value in inputs.items():
        box(name).queryEditableText().setTextContents(value)
        if text_of(box(name)) != value:
            fail("typing into %r gave %r" % (name, text_of(box(name))))

    calculate = box("Calculate")
    action = calculate.queryAction()
    press = [action.getName(i) for i in range(action.nActions)].index("Press")
    action.doAction(press)

    announced = wait_for(
        lambda: next((t for t in spoken if "return loss" in t.lower()), None),
        "the results spoken as a notification", spoken)
    for fact in ("return loss", "mismatch loss", "source impedance", "load impedance", "db", "ohm",
                 "30.0 plus j 40.0"):
        if fact not in announced.lower():
            fail("the announcement %r does not mention %r" % (announced, fact))
    if text_of(box("Return loss RL, decibels")) not in announced:
        fail("the announcement %r lacks the return loss %r"
             % (announced, text_of(box("Return loss RL, decibels"))))

    # A second press announces them again, though they are the same.
    count = len(spoken)
    action.doAction(press)
    wait_for(lambda: len(spoken) > count and spoken[-1] == announced, "the results spoken again",
             spoken)

    # Copy all results with the keyboard, then read the clipboard as another program would.
    subprocess.run(["xdotool", "search", "--sync", "--name", "^Voranth$", "windowfocus", "--sync",
                    "key", "ctrl+shift+c"], check=True, timeout=TIMEOUT)

    def clipboard():
        pump(0.1)
        result = subprocess.run(["xclip", "-o", "-selection", "clipboard"], capture_output=True,
                                text=True, timeout=TIMEOUT)
        return result.stdout if result.returncode == 0 and "RL =" in result.stdout else None

    copied = wait_for(clipboard, "the results on the clipboard")
    for line in ("RL = ", "ML = ", "ZS = 30.0 + j40.0 Ω", "ZL = "):
        if line not in copied:
            fail("the copied results %r lack %r" % (copied, line))

    # An edit leaves no announced results behind: neither a notification in the tree nor results
    # in any name or description.
    box("Load reflection coefficient ΓL, magnitude").queryEditableText().setTextContents("0.3")

    def stale():
        return [node.name + " / " + node.description for node in walk(app)
                if node.getRole() == pyatspi.ROLE_NOTIFICATION
                or "mismatch loss " + text_of(box("Mismatch loss ML, decibels")) in
                (node.name + node.description).lower()]

    wait_for(lambda: not stale(), "the announced results to be taken away", stale())

    print("ok: %d objects in the tree, results announced and copied" % len(nodes))


if __name__ == "__main__":
    main()
