#!/usr/bin/python3
# Velmora tests — what a screen reader hears: the real window, read through AT-SPI as Orca would,
# names every control a user works with, in the window's language, each field by its picture and
# channel rather than by the frame it stands in.
# Usage (under Xvfb, on a D-Bus session bus): accessibility_tree.py path/to/velmora [scrolls]
# With "scrolls" the screen is too small for the window, whose own scroll bars must be named too.
import os
import subprocess
import sys
import tempfile
import time

import pyatspi

UNNAMED_ROLES = {"text", "filler", "scroll bar", "push button", "menu item", "label", "panel", "check box"}

# Each (role, name) exactly once, and whether it must carry a description too.
EXPECTED = [
    ("text", "标准照片 红", True), ("text", "标准照片 绿", True), ("text", "标准照片 蓝", True),
    ("text", "将校正照片 红", True), ("text", "将校正照片 绿", True), ("text", "将校正照片 蓝", True),
    ("text", "校正量 红", True), ("text", "校正量 绿", True), ("text", "校正量 蓝", True),
    ("text", "标准照片 鼠标位置", False), ("text", "将校正照片 鼠标位置与进度", False),
    ("filler", "标准照片区域", True), ("filler", "将校正照片区域", False),
    ("filler", "标准照片", True), ("filler", "将校正照片", True), ("filler", "皮肤样本", False),
    ("scroll bar", "校正进度", True),
    ("push button", "刷新", False), ("push button", "校正", False), ("push button", "保存", False),
    ("push button", "帮助", False), ("push button", "退出", False),
    ("push button", "导入标准照片", False), ("push button", "导入将校正照片", False),
    ("menu item", "文件(F)", False), ("menu item", "编辑(E)", False), ("menu item", "视图(V)", False),
    ("menu item", "帮助(H)", False), ("menu item", "保存(S)…", False), ("menu item", "退出(X)", False),
]
SWATCH_PREFIXES = ["皮肤样本 1：", "皮肤样本 2：", "皮肤样本 3：", "皮肤样本 4："]
TONES = {"浅肤色", "中等肤色", "深肤色"}


def find_app(deadline):
    while time.time() < deadline:
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == "Velmora" and app.childCount > 0:
                frame = app.getChildAtIndex(0)
                # The window is read once its controls are there.
                if frame is not None and frame.childCount > 0:
                    return app
        time.sleep(0.1)  # polling the registry, not waiting for a set time
    return None


def walk(node, path, out):
    role = node.getRoleName()
    state = node.getState()
    entry = {
        "role": role,
        "name": node.name or "",
        "description": node.description or "",
        "children": node.childCount,
        "focusable": state.contains(pyatspi.STATE_FOCUSABLE),
        "showing": state.contains(pyatspi.STATE_SHOWING),
        "path": path + [f"{role}:{node.name}"],
    }
    out.append(entry)
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            walk(child, entry["path"], out)


def main():
    binary = sys.argv[1]
    home = tempfile.mkdtemp()
    runtime = tempfile.mkdtemp()
    os.chmod(runtime, 0o700)
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", LANG="C", HOME=home,
               XDG_RUNTIME_DIR=runtime, XDG_CONFIG_HOME=os.path.join(home, ".config"), QT_QPA_PLATFORM="xcb")
    env.pop("LANGUAGE", None)
    env.pop("LC_ALL", None)
    program = subprocess.Popen([binary], env=env)
    failures = []
    try:
        app = find_app(time.time() + 60)
        if app is None:
            print("FAIL: the window never appeared on the accessibility bus")
            return 1
        nodes = []
        walk(app, [], nodes)
        for role, name, described in EXPECTED:
            found = [n for n in nodes if n["role"] == role and n["name"] == name]
            if len(found) != 1:
                failures.append(f"{role} '{name}': found {len(found)} times")
            elif described and not found[0]["description"]:
                failures.append(f"{role} '{name}': no description")
        for prefix in SWATCH_PREFIXES:
            found = [n for n in nodes if n["name"].startswith(prefix)]
            if len(found) != 1 or found[0]["name"][len(prefix):] not in TONES or not found[0]["description"]:
                failures.append(f"swatch '{prefix}': {[(n['role'], n['name'], n['description']) for n in found]}")
        # No control left for the reader to name by guesswork; a filler holding other controls and
        # taking no focus is only a container.
        for n in nodes:
            if n["role"] not in UNNAMED_ROLES or n["name"] or not n["showing"]:
                continue
            if n["role"] in ("filler", "panel") and n["children"] > 0 and not n["focusable"]:
                continue
            failures.append(f"unnamed {n['role']}: {' > '.join(n['path'])}")
        if len(sys.argv) > 2 and sys.argv[2] == "scrolls":
            for name in ("窗口水平滚动条", "窗口垂直滚动条"):
                if not [n for n in nodes if n["role"] == "scroll bar" and n["name"] == name and n["showing"]]:
                    failures.append(f"no scroll bar '{name}' showing")
        texts = [n["name"] for n in nodes if n["role"] == "text"]
        for name in set(texts):
            if texts.count(name) > 1:
                failures.append(f"{texts.count(name)} text fields named '{name}'")
        if len(texts) != 11:
            failures.append(f"{len(texts)} text fields, not 11: {texts}")
    finally:
        program.terminate()
        program.wait(timeout=30)
    for f in failures:
        print("FAIL:", f)
    print(f"{'FAILED' if failures else 'PASSED'}: {len(EXPECTED) + len(SWATCH_PREFIXES)} named controls checked")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
