#!/usr/bin/python3
"""daily_round.py LOTWISE_BINARY WORK_DIR: the daily round through the accessibility bus, as a
screen reader user does it with the keyboard, inside the X server and D-Bus session that
run_daily_round.sh starts. Controls are found by role and announced name and focused as a
screen reader's "jump to" does; the rest is keys. Two records are added (one invoiced and paid
by PayPal, one invoiced and 8 days old), "7 Day Reminder" sends its row on the local mail
folders, "Items To Ship" shows the paid one; then the outbox and the database are checked.
Every key is followed by waiting for what it does, never by a fixed pause. That each window
announces its controls is checked in-process (tests/app/keyboard_test.cpp)."""
import datetime
import http.server
import os
import sqlite3
import subprocess
import sys
import threading
import time

import pyatspi

BINARY, WORK = sys.argv[1], sys.argv[2]
APP = os.path.join(WORK, "app")
KEY = {"Tab": 0xff09, "Right": 0xff53, "Down": 0xff54, "Home": 0xff50, "Return": 0xff0d, "space": 0x20}


class HomePage(http.server.BaseHTTPRequestHandler):
    """The auction site's home page: the online check wants a successful answer."""

    def do_GET(self):
        body = b"<html><p>Welcome back.</p></html>"
        self.send_response(200)
        self.send_header("Content-Type", "text/html")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


def fail(message):
    print("FAIL:", message)
    sys.exit(1)


def wait_for_quietly(probe, seconds=10):
    deadline = time.time() + seconds
    while time.time() < deadline:
        found = probe()
        if found:
            return found
        time.sleep(0.2)
    return None


def wait_for(what, probe, seconds=20):
    return wait_for_quietly(probe, seconds) or fail(f"timed out waiting for {what}")


def find(root, role, name, where=None):
    """The first accessible of `role` named `name` under root (depth first)."""
    stack = [root]
    while stack:
        o = stack.pop(0)
        try:
            if o.getRoleName() == role and o.name == name and (where is None or where(o)):
                return o
            stack.extend(c for c in o if c)
        except Exception:
            pass
    return None


def showing(o):
    return o.getState().contains(pyatspi.STATE_SHOWING)


def must(root, role, name):
    return wait_for(f"{role} {name!r}", lambda: find(root, role, name, showing))


def has_state(o, state):
    try:
        return o.getState().contains(state)
    except Exception:
        return False


def focus(o):
    o.queryComponent().grabFocus()
    wait_for(f"the focus on {o.name!r}", lambda: has_state(o, pyatspi.STATE_FOCUSED), 5)


def key(name):
    pyatspi.Registry.generateKeyboardEvent(KEY[name], None, pyatspi.KEY_SYM)


def press(o, done=None):
    """Space on the control, as on a focused button or switch, then what it does: a switch
    flips; for a button, `done` comes true."""
    focus(o)
    switch = o.getRoleName() == "check box"
    before = has_state(o, pyatspi.STATE_CHECKED)
    key("space")
    if switch:
        wait_for(f"{o.name!r} to switch", lambda: has_state(o, pyatspi.STATE_CHECKED) != before, 5)
    elif done is not None:
        wait_for(f"what {o.name!r} does", done, 5)


def type_into(root, name, text):
    box = must(root, "text", name)
    focus(box)
    pyatspi.Registry.generateKeyboardEvent(0, text, pyatspi.KEY_STRING)
    wait_for(f"{text!r} typed into {name!r}",
             lambda: box.queryText().getText(0, -1) == text, 5)


def current_node(tree):
    """The node the keys act on: the focused one."""
    return next((c for c in tree if c and has_state(c, pyatspi.STATE_FOCUSED)), None)


def current_name(tree):
    node = current_node(tree)
    return node.name if node is not None else None


def text_of(root, name):
    box = find(root, "text", name, showing)
    return box.queryText().getText(0, -1) if box and has_state(box, pyatspi.STATE_ENABLED) else None


def open_task(window, tree, name):
    """Tabs into the task tree from the button above it and walks it with the arrow keys to
    the node, opened with Enter: Right opens a closed node, Down goes to the next one."""
    focus(must(window, "push button", "Create Template"))
    key("Tab")
    wait_for("the focus in the task tree", lambda: has_state(tree, pyatspi.STATE_FOCUSED) or any(
        c and has_state(c, pyatspi.STATE_FOCUSED) for c in tree), 5)
    key("Home")
    wait_for("a current task", lambda: current_node(tree))
    for _ in range(60):
        current = current_node(tree)
        if current.name == name:
            key("Return")
            return
        if has_state(current, pyatspi.STATE_EXPANDABLE) and not has_state(current, pyatspi.STATE_EXPANDED):
            key("Right")
            wait_for(f"{current.name!r} to open", lambda: has_state(current, pyatspi.STATE_EXPANDED), 5)
        key("Down")
        wait_for(f"the keys to leave {current.name!r}", lambda: current_name(tree) not in (None, current.name), 5)
    fail(f"the arrow keys did not reach the task {name!r}")


def main():
    server = http.server.HTTPServer(("127.0.0.1", 0), HomePage)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    config = os.path.join(WORK, "config")
    os.makedirs(os.path.join(config, "Lotwise"), exist_ok=True)
    site = f"http://127.0.0.1:{server.server_port}"
    with open(os.path.join(config, "Lotwise", "Lotwise.conf"), "w") as f:
        f.write(f"[Endpoints]\nAuctionSite={site}\n")
    env = dict(os.environ, QT_ACCESSIBILITY="1", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
               LOTWISE_HOME=APP, XDG_CONFIG_HOME=config, LANG="C.UTF-8")
    program = subprocess.Popen([BINARY], env=env)
    try:
        run()
    finally:
        program.terminate()
        program.wait(10)
    check()


def run():
    # A loaded machine can take a while to start the program and register it on the bus.
    app = wait_for("Lotwise on the bus", lambda: next(
        (a for a in pyatspi.Registry.getDesktop(0) if a and a.name == "Lotwise"), None), 90)
    window = wait_for("the main window", lambda: next(
        (c for c in app if c and c.getRoleName() == "frame" and c.name.startswith("Lotwise - ")), None))
    if find(app, "alert", "Error Information"):
        fail("the program reported an error at start-up")
    wait_for("the main window to be active", lambda: has_state(window, pyatspi.STATE_ACTIVE))
    eight_days_ago = (datetime.date.today() - datetime.timedelta(days=8)).isoformat()

    for user, lot, number, paid in (("alice", "Brass lamp", "1001", True),
                                    ("bob", "Tea set", "1002", False)):
        # A new record: its boxes open for typing, empty.
        press(must(window, "push button", "Add"), lambda: text_of(window, "User Name") == "")
        type_into(window, "Close Date", eight_days_ago)
        type_into(window, "Auction Name", lot)
        type_into(window, "Auction Number", number)
        type_into(window, "User Name", user)
        type_into(window, "Email Address", f"{user}@example.com")
        press(must(window, "check box", "Invoice Sent"))
        if paid:
            press(must(window, "check box", "Payment Received"))
            press(must(window, "check box", "PayPal"))
    # Moving away writes the record.
    press(must(window, "push button", "First Record"), lambda: text_of(window, "User Name") == "alice")

    tree = must(window, "tree", "Tasks")
    open_task(window, tree, "7 Day Reminder")
    wait_for("the 7-day reminder list", lambda: "Reminder" in window.name or "Remainder" in window.name, 10)
    wizard = must(window, "tree", "Email Wizard")
    if not wait_for_quietly(lambda: [c for c in wizard if c and c.name == "bob"]):
        db = sqlite3.connect(os.path.join(APP, "Auctions.db"))
        stored = list(db.execute('SELECT "User Name", "Close Date", "CK Invoice Sent", "CK Payment Made" FROM Auctions'))
        fail(f"bob is not in the reminder list; the list shows {[c.name for c in wizard if c]}, "
             f"the store holds {stored}")
    if len([c for c in wizard if c and c.name == "alice"]):
        fail("a paid record is in the 7-day reminder list")
    # Beside the list, the mail as it will go, for reading only.
    preview = must(window, "text", "Mail Preview")
    if has_state(preview, pyatspi.STATE_EDITABLE):
        fail("the mail preview can be typed into")
    press(must(window, "push button", "Check All"),
          lambda: any(has_state(c, pyatspi.STATE_CHECKED) for c in wizard if c))
    outbox = os.path.join(APP, "Mail", "Outbox", "new")
    press(must(window, "push button", "Send"), lambda: os.path.isdir(outbox) and os.listdir(outbox))
    if find(app, "alert", "Error Information"):
        fail("sending reported an error")

    open_task(window, tree, "Items To Ship")
    ship = must(window, "tree", "Items to Ship")
    wait_for("alice in the items to ship", lambda: [c for c in ship if c and c.name == "alice"])
    if [c for c in ship if c and c.name == "bob"]:
        fail("an unpaid record is in the items to ship")


def check():
    outbox = os.path.join(APP, "Mail", "Outbox", "new")
    sent = sorted(os.listdir(outbox)) if os.path.isdir(outbox) else []
    if len(sent) != 1:
        fail(f"{len(sent)} messages in the outbox, expected 1")
    with open(os.path.join(outbox, sent[0]), "rb") as f:
        mime = f.read().decode("utf-8", "replace")
    if "To: bob@example.com" not in mime:
        fail("the reminder did not go to bob")
    db = sqlite3.connect(os.path.join(APP, "Auctions.db"))
    flags = {row[0]: row[1:] for row in db.execute(
        'SELECT "User Name", "CK Invoice Sent", "CK Payment Made", "CK PayPal", "CK Remainder 10" FROM Auctions')}
    if [str(v) for v in flags.get("alice", ())][:3] != ["1", "1", "1"]:
        fail(f"alice's flags: {flags.get('alice')}")
    if str(flags.get("bob", (None,) * 4)[3]) != "1":
        fail(f"bob's 7-day reminder is not marked: {flags.get('bob')}")
    print("daily round done: 1 reminder sent, flags", flags)


if __name__ == "__main__":
    main()
