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


# The text questions a screen reader asks as the caret moves, and how long the program may take
# over one: Qt 6.4's own answer to a word at the end of a text never came.
BOUNDARIES = {
    "character": pyatspi.TEXT_BOUNDARY_CHAR,
    "word start": pyatspi.TEXT_BOUNDARY_WORD_START,
    "word end": pyatspi.TEXT_BOUNDARY_WORD_END,
    "sentence": pyatspi.TEXT_BOUNDARY_SENTENCE_START,
    "line start": pyatspi.TEXT_BOUNDARY_LINE_START,
    "line end": pyatspi.TEXT_BOUNDARY_LINE_END,
}
ANSWER_MS = 8000  # generous: sanitizer builds on a busy machine answer slowly, a hang never


def check_text_answers(node, box=True):
    """Asks the box for characters, words, sentences and lines at its start, middle and end, and
    for the attribute run at 0, as a screen reader does; each answer must come within ANSWER_MS
    and be the box's own text. Other texts (box=False) need only answer promptly with their own
    text."""
    label = "%s holding %r" % (node.name, text_of(node))
    text = node.queryText()
    value = text.getText(0, -1)
    length = text.characterCount
    for ask in ("getTextAtOffset", "getTextBeforeOffset", "getTextAfterOffset"):
        for offset in sorted({0, length // 2, length}):
            for what, boundary in BOUNDARIES.items():
                try:
                    piece, start, end = getattr(text, ask)(offset, boundary)
                except Exception as error:  # a D-Bus time-out comes as a GLib error
                    fail("%s(%d, %s) on %s gave no answer: %s" % (ask, offset, what, label, error))
                # Nothing before the first piece, after the last, or at the end as a character.
                nothing = (piece, start, end) == ("", -1, -1) and (
                    ask != "getTextAtOffset" or (what == "character" and offset == length))
                if not nothing and (not 0 <= start <= end <= length or value[start:end] != piece):
                    fail("%s(%d, %s) on %s gave %r at %d-%d"
                         % (ask, offset, what, label, piece, start, end))
                if ask != "getTextAtOffset" or not value or not box:
                    continue
                # The piece holds the offset; at the end of the text a word or a line is the last
                # one, a character the empty one there.
                if what.startswith("line") and piece != value:
                    fail("the line at %d of %s is %r" % (offset, label, piece))
                if what == "character" and piece != value[offset:offset + 1]:
                    fail("the character at %d of %s is %r" % (offset, label, piece))
                if what.startswith("word") and not (start <= offset <= end and piece):
                    fail("the word at %d of %s is %r at %d-%d" % (offset, label, piece, start, end))
    attributes, start, end = text.getAttributeRun(0, False)
    if box and (start, end) != (0, length):
        fail("the attribute run at 0 of %s is %d-%d, not the whole text" % (label, start, end))
    # The program still answers.
    if text_of(node) != value:
        fail("%s no longer answers" % label)


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

    # Every question about an input's text is answered, whatever it holds: numbers, a number
    # with its unit, a sign, a single digit.
    pyatspi.setTimeout(ANSWER_MS, ANSWER_MS)
    texts = ["50", "RL 14 dB", "-45", "0", "1.5:1", "30°", "", "VSWR 1,5 and more. Another one."]
    names = ["Reference impedance Z0, ohms",
             "Source reflection coefficient ΓS, magnitude",
             "Source reflection coefficient ΓS, angle in degrees",
             "Load reflection coefficient ΓL, magnitude",
             "Load reflection coefficient ΓL, angle in degrees"]
    for i, value in enumerate(texts):
        node = box(names[i % len(names)])
        node.queryEditableText().setTextContents(value)
        check_text_answers(node)

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

    # The program learns of the new listener through the registry, asynchronously, and sends no
    # event before it has: Calculate is pressed again until the results are spoken (a repeated
    # Calculate speaks the same results again). The button's press is animated and clicks when it
    # is released, so it is pressed again only once it is up.
    def announcement():
        found = next((t for t in spoken if "return loss" in t.lower()), None)
        if found is None and not calculate.getState().contains(pyatspi.STATE_PRESSED):
            action.doAction(press)
        return found

    announced = wait_for(announcement, "the results spoken as a notification", spoken)
    for fact in ("return loss", "mismatch loss", "source impedance", "load impedance", "db", "ohm",
                 "30.0 plus j 40.0"):
        if fact not in announced.lower():
            fail("the announcement %r does not mention %r" % (announced, fact))
    if text_of(box("Return loss RL, decibels")) not in announced:
        fail("the announcement %r lacks the return loss %r"
             % (announced, text_of(box("Return loss RL, decibels"))))

    # The results answer as the inputs do.
    for name in ("Return loss RL, decibels", "Mismatch loss ML, decibels", "Source resistance, ohms",
                 "Source reactance, sign", "Source reactance, magnitude in ohms"):
        check_text_answers(box(name))

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
    # And says so.
    wait_for(lambda: any(t.startswith("Copied") for t in spoken), "the copy spoken", spoken)

    # An edit leaves no announced results behind: neither a notification in the tree nor results
    # in any name or description.
    box("Load reflection coefficient ΓL, magnitude").queryEditableText().setTextContents("0.3")

    def stale():
        return [node.name + " / " + node.description for node in walk(app)
                if node.getRole() == pyatspi.ROLE_NOTIFICATION and "not current" not in node.name
                or "mismatch loss " + text_of(box("Mismatch loss ML, decibels")) in
                (node.name + node.description).lower()]

    wait_for(lambda: not stale(), "the announced results to be taken away", stale())
    wait_for(lambda: any("not current" in t for t in spoken), "the results said not current",
             spoken)

    # The details window (Ctrl+I) is a window, and says when the inputs change after its results.
    action.doAction(press)
    subprocess.run(["xdotool", "search", "--sync", "--name", "^Voranth$", "windowfocus", "--sync",
                    "key", "ctrl+i"], check=True, timeout=TIMEOUT)

    def details_window():
        return next((node for node in (app.getChildAtIndex(i) for i in range(app.childCount))
                     if node is not None and node.name == "Voranth: details"), None)

    details = wait_for(details_window, "the details window")
    if details.getRole() not in (pyatspi.ROLE_FRAME, pyatspi.ROLE_WINDOW, pyatspi.ROLE_DIALOG):
        fail("the details window is a %s" % details.getRoleName())
    # Its lines answer as the boxes do.
    lines = next((node for node in walk(details) if node.name == "Inputs, results and figures"),
                 None)
    if lines is None:
        fail("the details window has no text named 'Inputs, results and figures'")
    # The window may have been open already with the results before; its text is asked about once
    # it shows the last Calculate's.
    wait_for(lambda: "\u0393L = 0.3 " in text_of(lines), "the details of the last Calculate",
             text_of(lines))
    check_text_answers(lines, box=False)
    box("Source reflection coefficient ΓS, angle in degrees").queryEditableText() \
        .setTextContents("45")
    wait_for(lambda: any("inputs have changed" in t for t in spoken),
             "the details window's note spoken", spoken)

    print("ok: %d objects in the tree, results announced and copied" % len(nodes))


if __name__ == "__main__":
    main()
