"""The real vantrel used by keyboard alone and read through AT-SPI, as a
screen reader reads it: the first run, a test taken (once cancelled with
Enter on Cancel), its report, its graph, its reference information, its
dates, the users, the About box, and the end. Every window is checked for its role,
modal state, painted texts, named controls and, as Tab moves, the focus
events a reader announces.

Run by walk.sh inside a private X display and session bus:
walk_windows.py VANTREL WORKDIR."""

import datetime
import os
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

VANTREL, WORK = sys.argv[1], sys.argv[2]
USER = "Ann Lee"
BIRTH = datetime.date(1975, 3, 14)
TODAY = datetime.date.today()
TODAY_TEXT = f"{TODAY.month}/{TODAY.day}/{TODAY.year}"
MAIN_CYCLE = ["Tests for Ann Lee", "Info", "Report", "Graph", "Edit", "About", "Take Test", "Switch User", "Close"]

failures = []
focused = []  # the objects focus events named, in order


class Stop(Exception):
    """A step could not go on: the window or focus it waits for never came."""


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL:", what, flush=True)


def on_focus(event):
    if event.detail1:
        focused.append(event.source)


def pump(seconds=0.05):
    context = GLib.MainContext.default()
    end = time.monotonic() + seconds
    while True:
        while context.pending():
            context.iteration(False)
        if time.monotonic() >= end:
            return
        time.sleep(0.01)


def wait(condition, what, timeout=20, on_timeout=lambda: ""):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        pump()
        try:
            found = condition()
        except Exception:  # an object that went away while being read
            found = None
        if found:
            return found
    raise Stop(what + on_timeout())


def press(*keys):
    subprocess.run(["xdotool", "key", "--clearmodifiers", "--delay", "40", *keys], check=True)


def type_text(text):
    subprocess.run(["xdotool", "type", "--clearmodifiers", "--delay", "15", text], check=True)


def app():
    for candidate in pyatspi.Registry.getDesktop(0):
        if candidate is not None and candidate.name == "vantrel":
            return candidate
    return None


def windows():
    found = app()
    return [found.getChildAtIndex(i) for i in range(found.childCount)] if found else []


def shown_windows():
    described = [f"{w.getRoleName()} {w.name!r}" + (" (active)" if w.getState().contains(pyatspi.STATE_ACTIVE) else "")
                 for w in windows() if w is not None]
    return f"; the windows: {', '.join(described) or 'none'}"


def window(title):
    """The window of that caption once it is the active one."""
    def active():
        for w in windows():
            if w is not None and w.name == title and w.getState().contains(pyatspi.STATE_ACTIVE):
                return w
        return None
    found = wait(active, f"window {title!r} never came to the front", on_timeout=shown_windows)
    check(found.getRoleName() in ("dialog", "alert"), f"{title}: role {found.getRoleName()}, not a dialog")
    return found


def children(acc):
    return [acc.getChildAtIndex(i) for i in range(acc.childCount)]


def texts(win):
    return [c.name for c in children(win) if c.getRoleName() == "label"]


def child(win, role, name):
    for c in children(win):
        if c.getRoleName() == role and c.name == name:
            return c
    return None


def text_of(acc):
    text = acc.queryText()
    return text.getText(0, text.characterCount)


def value_of(combo):
    """A drop-down box's value: what its edit field holds."""
    return next(text_of(c) for c in children(combo) if c.getRoleName() == "text")


def settle():
    """Lets the events of the keys pressed so far arrive."""
    while True:
        seen = len(focused)
        pump(0.15)
        if len(focused) == seen:
            return


def next_focus(keys, what):
    """Presses the keys and returns the object the next focus event names."""
    settle()
    mark = len(focused)
    press(*keys)
    return wait(lambda: focused[mark] if len(focused) > mark else None, f"no focus event after {keys}: {what}")


def focus_to(name, limit=12):
    """Tabs until the focus event names `name`."""
    for _ in range(limit):
        if next_focus(["Tab"], f"tabbing to {name}").name == name:
            return
    raise Stop(f"Tab never reached {name}")


def check_dialog(win, title, modal=True):
    check(win.getRoleName() == "dialog", f"{title}: role {win.getRoleName()}")
    check(win.getState().contains(pyatspi.STATE_MODAL) == modal, f"{title}: modal state should be {modal}")
    check(not [c for c in children(win) if c.getRoleName() in ("image", "icon")], f"{title}: a decorative image shows")


def check_texts(win, title, expected):
    shown = texts(win)
    for text in expected:
        check(text in shown, f"{title}: painted text {text!r} not readable; readable: {shown}")


def check_combo(win, title, label, value=None):
    combo = child(win, "combo box", label)
    check(combo is not None, f"{title}: no combo box named {label!r}")
    if combo is not None and value is not None:
        check(value_of(combo) == value, f"{title}: {label} holds {value_of(combo)!r}, not {value!r}")
    return combo


def open_from_main(button, title):
    """Presses the main window's button by keys; the dialog it opens."""
    focus_to(button)
    press("Return")
    opened = window(title)
    check_dialog(opened, title)
    return opened


def first_run():
    add_patient = window("Add Patient")
    installing = next((w for w in windows() if w.name == "Installation In Progress"), None)
    check(installing is not None, "the Installation window is not there while the first user is asked for")
    if installing is not None:
        check_dialog(installing, "Installation", modal=False)
        check_texts(installing, "Installation", ["Initializing Database...Please Wait"])
    check_dialog(add_patient, "Add Patient")
    check_texts(add_patient, "Add Patient", ["Please Enter your personal information:", "Name", "Birthdate", "Sex"])
    check_combo(add_patient, "Add Patient", "Sex", "Male")
    press("ctrl+a")
    type_text(USER)
    check(next_focus(["Tab"], "to the birthdate").name == "Birthdate", "Tab from Name does not reach Birthdate")

    # A date the field cannot read: a message, then the focus back on the
    # field with the typed text selected.
    press("ctrl+a")
    type_text("3.12.1975")
    press("Tab")
    alert = window("Vantrel")
    check(alert.getRoleName() == "alert", "the refused date's message is no alert")
    press("Return")
    back = wait(lambda: focused[-1] if focused[-1].name == "Birthdate" else None,
                "the focus does not come back to the refused date")
    settle()
    check(focused[-1].name == "Birthdate", f"after the message the focus goes on to {focused[-1].name!r}")
    text = back.queryText()
    check(text.getNSelections() == 1 and text.getSelection(0) == (0, 9) and text_of(back) == "3.12.1975",
          "the refused date is not kept and selected for correction")
    type_text(f"{BIRTH.month}/{BIRTH.day}/{BIRTH.year}")
    check(next_focus(["Tab"], "to Sex").name == "Sex", "Tab from Birthdate does not reach Sex")
    press("Up")
    order = [next_focus(["Tab"], "Add Patient's buttons").name for _ in range(2)]
    check(order == ["Ok", "Cancel"], f"Add Patient's Tab order ends {order}")
    check(next_focus(["shift+Tab"], "back to Ok").name == "Ok", "Shift+Tab does not come back to Ok")
    press("Return")

    options = window("Graph Options")
    check_dialog(options, "Graph Options")
    check_texts(options, "Graph Options", ["Graph Preferences:", "Graph Period", "Graph Type"])
    check_combo(options, "Graph Options", "Graph Period", "Today")
    check_combo(options, "Graph Options", "Graph Type", "Bar")
    press("Return")


def main_window():
    main = window("Vantrel")
    check_dialog(main, "Vantrel")
    check_texts(main, "Vantrel", [f"Tests for {USER}"])
    cycle = [next_focus(["Tab"], "the main window's Tab order").name for _ in range(len(MAIN_CYCLE))]
    start = cycle.index(MAIN_CYCLE[0]) if MAIN_CYCLE[0] in cycle else 0
    check(cycle[start:] + cycle[:start] == MAIN_CYCLE, f"the main window's Tab order is {cycle}")
    return main


def listed_tests(main):
    listing = child(main, "list", f"Tests for {USER}")
    return [c.name for c in children(listing)] if listing else []


def enter_test(finish):
    """Take Test by keys: the test, the date's calendar, a comment, one result; then `finish`."""
    take = open_from_main("Take Test", "Take Test")
    check_texts(take, "Take Test", ["Please Enter your test information:", "Test Name", "Test Date", "Comments",
                                    "Test Results"])
    check_combo(take, "Take Test", "Test Name")
    press("ctrl+a")
    type_text("Lipid Panel")
    check(next_focus(["Tab"], "to the date").name == "Test Date", "Tab from the test name does not reach the date")

    day = next_focus(["alt+Down"], "into the calendar")
    expected = f"{TODAY:%A}, {TODAY:%B} {TODAY.day}, {TODAY.year}"
    check(day.name == expected and day.getRoleName() == "table cell",
          f"the calendar's day is announced as {day.getRoleName()} {day.name!r}, not {expected!r}")
    check(next_focus(["Escape"], "out of the calendar").name == "Test Date", "Escape does not leave the calendar")

    check(next_focus(["Tab"], "to the comment").name == "Comments", "Tab from the date does not reach Comments")
    type_text("fasting")
    check(next_focus(["Tab"], "to the results").name == "Test Results", "Tab does not reach the result list")
    check(next_focus(["Tab"], "to Add").name == "Add", "Tab does not reach Add")
    press("Return")

    result = window("Add Test Result")
    check_dialog(result, "Add Test Result")
    check_texts(result, "Add Test Result", ["Result Name", "Result Value", "Goal Value", "Result Unit"])
    check_combo(result, "Add Test Result", "Result Name", "Total cholesterol")
    check(next_focus(["Tab"], "to the value").name == "Result Value", "Tab does not reach Result Value")
    press("ctrl+a")
    type_text("250")
    press("Return")

    take = window("Take Test")
    rows = [c.name for c in children(child(take, "list", "Test Results"))]
    check(rows == ["Total cholesterol [ 250 vs 0-199 ] mg/dL"], f"Take Test lists {rows}")
    order = [next_focus(["Tab"], "Take Test's buttons").name for _ in range(4)]
    check(order == ["Delete", "Test Info", "Ok", "Cancel"], f"Take Test's Tab order after Add is {order}")
    if finish == "Ok":
        next_focus(["shift+Tab"], "back to Ok")
    press("Return")
    window("Vantrel")


def report():
    rep = open_from_main("Report", "Test Report")
    age = TODAY.year - BIRTH.year - ((TODAY.month, TODAY.day) < (BIRTH.month, BIRTH.day))
    check_texts(rep, "Test Report", ["Lipid Panel", USER, f"Female | {age} years old"])
    check_combo(rep, "Test Report", "Test Date", TODAY_TEXT)
    listing = child(rep, "list", "Test Report")
    rows = [c.name for c in children(listing)] if listing else []
    check("Total cholesterol: 250 mg/dL [Goal: 0-199 mg/dL], above goal" in rows, f"the report reads {rows}")
    # Escape closes the report; it opens no Test Info.
    press("Escape")
    window("Vantrel")
    check("Test Info" not in [w.name for w in windows()], "Escape in the report opened Test Info")


def graph():
    win = open_from_main("Graph", "Results Graph")
    check_texts(win, "Results Graph", ["Choose Result"])
    # It opens on the one result that has a value today, not on the first of the list.
    check_combo(win, "Results Graph", "Choose Result", "Total cholesterol")
    described = f"Total cholesterol, today: 1 value; latest 250 mg/dL on {TODAY_TEXT}; goal 0 to 199 mg/dL; " \
                "average 250.00 mg/dL"
    wait(lambda: win.description == described, f"the graph is described {win.description!r}, not {described!r}")

    bar = child(win, "tool bar", "Menu bar")
    check(bar is not None and [c.name for c in children(bar)] == ["Period", "Type", "Exit"],
          "the menu bar is no tool bar of Period, Type and Exit")
    check(next_focus(["Tab"], "to Period").name == "Period", "Tab does not reach the menu bar's Period")
    press("Return")
    check(next_focus(["Down"], "into Period's menu").name == "Today", "Enter does not open Period's menu")
    check(next_focus(["Down"], "down the menu").name == "Last week", "the menu's next item is not Last week")
    press("Return")
    wait(lambda: ", the last 7 days:" in win.description, f"choosing Last week left {win.description!r}")
    order = [next_focus(["Tab"], "the menu bar").name for _ in range(2)]
    check(order == ["Type", "Exit"], f"the menu bar's Tab order goes on {order}")
    press("Return")
    window("Vantrel")


def test_info():
    info = open_from_main("Info", "Test Info")
    check_combo(info, "Test Info", "Test Name", "Lipid Panel")
    check_texts(info, "Test Info", ["Alternative names:", "Cholesterol test, lipid"])
    focus_to("Why?")
    press("Return")
    wait(lambda: "Why take the test?" in texts(info), f"Why? shows no readable section: {texts(info)}")
    press("Escape")
    window("Vantrel")


def modify_test():
    edit = open_from_main("Edit", "Modify Test")
    check_texts(edit, "Modify Test", ["Lipid Panel", "Please select your test date:"])
    press("Escape")
    window("Vantrel")


def switch_user():
    users = open_from_main("Switch User", "Switch User")
    check_texts(users, "Switch User", ["Please Select User:"])
    listing = child(users, "list", "Please Select User:")
    check(listing is not None and [c.name for c in children(listing)] == [USER], "Switch User lists no Ann Lee")
    order = [next_focus(["Tab"], "Switch User's Tab order").name for _ in range(6)]
    start = order.index("Please Select User:") if "Please Select User:" in order else 0
    check(order[start:] + order[:start] == ["Please Select User:", "Add", "Edit", "Delete", "OK", "Cancel"],
          f"Switch User's Tab order is {order}")
    press("Escape")
    window("Vantrel")


def about():
    box = open_from_main("About", "About Vantrel")
    check_texts(box, "About", ["Vantrel", "Version 2.0", "MedlinePlus: medlineplus.gov/lab-tests"])
    press("Return")
    window("Vantrel")


def run():
    device = os.path.join(WORK, "device")
    os.makedirs(device)
    openbox = subprocess.Popen(["openbox"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    # The window manager first, so that it gives the front to each window as it comes.
    wait(lambda: subprocess.run(["xdotool", "get_num_desktops"], capture_output=True).returncode == 0,
         "the window manager did not start")
    env = dict(os.environ, VANTREL_DEVICE_ROOT=device, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
               LANG="en_US.UTF-8", LC_ALL="")
    env.pop("VANTREL_SCALE", None)
    pyatspi.Registry.registerEventListener(on_focus, "object:state-changed:focused")
    program = subprocess.Popen([VANTREL], env=env)
    try:
        first_run()
        main = main_window()
        enter_test(finish="Cancel")
        check("Lipid Panel" not in listed_tests(main), "Enter on Cancel stored the test")
        enter_test(finish="Ok")
        check(listed_tests(main) == ["Lipid Panel"], f"after Ok the main window lists {listed_tests(main)}")
        report()
        graph()
        test_info()
        modify_test()
        switch_user()
        about()
        focus_to("Close")
        press("Return")
        check(program.wait(timeout=20) == 0, "the program did not end cleanly on Close")
    except Exception as stop:  # a step that cannot go on ends the walk
        failures.append(str(stop))
        print("STOPPED:", repr(stop), flush=True)
    finally:
        if program.poll() is None:
            program.kill()
        openbox.kill()
    if failures:
        print(f"{len(failures)} problem(s) found", flush=True)
        return 1
    print("every window read as expected", flush=True)
    return 0


sys.exit(run())
