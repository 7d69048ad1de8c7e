# SPDX-License-Identifier: MIT
# Walks the program's window on the AT-SPI bus, as a screen reader sees it, and checks that
# every control a user can reach has a name. Exits 1 with the unnamed controls, 0 when all
# are named.
import sys
import time

import pyatspi

REACHABLE = {"push button", "text", "tree", "list", "list item", "check box", "spin button",
             "progress bar", "combo box", "table column header"}
EXPECTED = [("frame", "KAMEOLA"), ("tree", "ファイル一覧"), ("push button", "作成"),
            ("push button", "追加"), ("text", "出力先ディレクトリ"), ("list", "オプション"),
            ("push button", "列の数を増やす"), ("progress bar", "進行状況")]


def walk(accessible, found):
    found.append((accessible.getRoleName(), accessible.name or ""))
    for i in range(accessible.childCount):
        child = accessible.getChildAtIndex(i)
        if child is not None:
            walk(child, found)


def program_tree():
    for _ in range(60):
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            if app is not None and (app.name or "").lower() == "kameola":
                found = []
                walk(app, found)
                if any(role == "frame" for role, _ in found):
                    return found
        time.sleep(0.5)
    return None


found = program_tree()
if found is None:
    print("the program did not show on the accessibility bus")
    sys.exit(1)
unnamed = [role for role, name in found if role in REACHABLE and not name.strip()]
missing = [pair for pair in EXPECTED if pair not in found]
for role in unnamed:
    print(f"unnamed {role}")
for role, name in missing:
    print(f"no {role} named {name}")
sys.exit(1 if unnamed or missing else 0)
