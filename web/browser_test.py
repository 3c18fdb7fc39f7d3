#!/usr/bin/python3
"""Plays the web build in headless Chromium and compares what it shows with the desktop game.

Serves the built page from 127.0.0.1 with python3's http.server, starts Debian's Chromium
headless with software GL, and drives it through the DevTools protocol (python3-websocket).
The canvas is read back (the test build keeps its drawing buffer) and compared pixel for
pixel with pictures the desktop engine renders through kestrelix-replay. Prints each check,
then `N passed, N failed`; exits 1 when any failed.

    web/browser_test.py --page DIR --replay PATH/kestrelix-replay --data DATA
                        [--screenshot OUT.png]
    web/browser_test.py --page DIR --measure SECONDS

The second form only measures: it opens Sablex, lets the player stand for the given time
and prints the frame rate and the update and draw time per frame that the game reports.
"""

import argparse
import base64
import contextlib
import http.client
import json
import os
import shutil
import socket
import struct
import subprocess
import sys
import tempfile
import time

import websocket

WIDTH, HEIGHT = 256, 240
# Frames of the desktop reference: the ready phase and the arrival are over by then and
# the player stands still.
STANDING_FRAME = 200
HELD_FRAMES = 150


class Checks:
    def __init__(self):
        self.passed = 0
        self.failed = 0

    def check(self, name, ok, detail=""):
        if ok:
            self.passed += 1
            print(f"PASS {name}" + (f": {detail}" if detail else ""))
        else:
            self.failed += 1
            print(f"FAIL {name}" + (f": {detail}" if detail else ""))
        sys.stdout.flush()
        return ok


def read_bmp(path):
    """The RGB bytes, top row first, of an uncompressed 24- or 32-bit BMP."""
    with open(path, "rb") as f:
        data = f.read()
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height = struct.unpack_from("<ii", data, 18)
    bits = struct.unpack_from("<H", data, 28)[0]
    if bits not in (24, 32):
        raise ValueError(f"{path}: {bits}-bit BMP")
    step = bits // 8
    stride = (width * step + 3) & ~3
    rows = []
    for row in range(abs(height)):
        source = row if height < 0 else abs(height) - 1 - row
        line = data[offset + source * stride: offset + source * stride + width * step]
        rgb = bytearray(width * 3)
        for x in range(width):
            b, g, r = line[x * step: x * step + 3]
            rgb[x * 3: x * 3 + 3] = bytes((r, g, b))
        rows.append(bytes(rgb))
    return width, abs(height), b"".join(rows)


def enlarge(rgb, width, scale):
    """Every pixel as a scale x scale block, as the engine enlarges the picture."""
    rows = [rgb[y * width * 3:(y + 1) * width * 3] for y in range(len(rgb) // (width * 3))]
    result = []
    for row in rows:
        wide = b"".join(row[x * 3:x * 3 + 3] * scale for x in range(width))
        result.extend([wide] * scale)
    return b"".join(result)


def shrink(rgb, width, scale):
    """The top-left pixel of every scale x scale block."""
    small_width = width // scale
    rows = []
    for y in range(0, len(rgb) // (width * 3), scale):
        row = rgb[y * width * 3:(y + 1) * width * 3]
        rows.append(b"".join(row[x * scale * 3:x * scale * 3 + 3] for x in range(small_width)))
    return b"".join(rows)


def differing_pixels(a, b):
    return sum(1 for i in range(0, len(a), 3) if a[i:i + 3] != b[i:i + 3])


class Replay:
    """Desktop pictures through kestrelix-replay, run in the data folder."""

    def __init__(self, tool, data, scratch):
        self.tool = tool
        self.data = data
        self.scratch = scratch

    def picture(self, arguments, name):
        out = os.path.join(self.scratch, name + ".bmp")
        subprocess.run([self.tool] + arguments + ["--picture", out], cwd=self.data, check=True,
                       env=dict(os.environ, SDL_VIDEODRIVER="dummy", SDL_AUDIODRIVER="dummy"))
        width, height, rgb = read_bmp(out)
        if (width, height) != (WIDTH, HEIGHT):
            raise ValueError(f"{out}: {width} x {height}")
        return rgb

    def menu(self):
        return self.picture(["--menu"], "menu")

    def level_frames(self, level, character, frames, right_from=None):
        """Pictures of the given frames; with right_from, Right is held from that frame."""
        script = os.path.join(self.scratch, f"{level}-{character}.txt")
        with open(script, "w") as f:
            f.write(f"level {level}\ncharacter {character}\n")
            if right_from is None:
                f.write(f"{max(frames) + 1} -\n")
            else:
                f.write(f"{right_from} -\n{max(frames) - right_from + 1} right\n")
        return {n: self.picture(["--script", script, "--frame", str(n)], f"{level}-{n}")
                for n in frames}


class Browser:
    """One headless Chromium page, driven over the DevTools protocol."""

    def __init__(self, profile):
        self.process = subprocess.Popen(
            ["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
             "--no-first-run", "--disable-background-networking", "--disable-component-update",
             "--disable-sync", "--use-angle=swiftshader", "--enable-unsafe-swiftshader",
             "--window-size=1280,800", "--remote-debugging-port=0",
             f"--user-data-dir={profile}", "about:blank"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        port_file = os.path.join(profile, "DevToolsActivePort")
        deadline = time.time() + 60
        while not os.path.exists(port_file) or os.path.getsize(port_file) == 0:
            if time.time() > deadline or self.process.poll() is not None:
                raise RuntimeError("Chromium did not open its DevTools port")
            time.sleep(0.1)
        time.sleep(0.2)
        with open(port_file) as f:
            port = int(f.readline())
        page = None
        while page is None:
            connection = http.client.HTTPConnection("127.0.0.1", port, timeout=10)
            connection.request("GET", "/json/list")
            targets = json.loads(connection.getresponse().read())
            page = next((t for t in targets if t.get("type") == "page"), None)
            if page is None:
                if time.time() > deadline:
                    raise RuntimeError("Chromium shows no page")
                time.sleep(0.2)
        self.socket = websocket.create_connection(page["webSocketDebuggerUrl"], timeout=60,
                                                  suppress_origin=True)
        self.next_id = 0
        self.console = []  # (browser time in s, text)
        self.send("Runtime.enable")
        self.send("Page.enable")
        # A headless page never has the focus; a player's page does (and the game pauses
        # without it).
        self.send("Emulation.setFocusEmulationEnabled", enabled=True)

    def close(self):
        try:
            self.socket.close()
        finally:
            self.process.terminate()
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()

    def _event(self, message):
        if message.get("method") == "Runtime.consoleAPICalled":
            parameters = message["params"]
            text = " ".join(str(a.get("value", "")) for a in parameters["args"])
            self.console.append((parameters["timestamp"] / 1000.0, text))
        elif message.get("method") == "Runtime.exceptionThrown":
            details = message["params"]["exceptionDetails"]
            text = details.get("exception", {}).get("description", details.get("text", ""))
            self.console.append((message["params"]["timestamp"] / 1000.0, "exception: " + text))

    def send(self, method, **params):
        self.next_id += 1
        self.socket.send(json.dumps({"id": self.next_id, "method": method, "params": params}))
        while True:
            message = json.loads(self.socket.recv())
            if message.get("id") == self.next_id:
                if "error" in message:
                    raise RuntimeError(f"{method}: {message['error']}")
                return message.get("result", {})
            self._event(message)

    def pump(self, seconds):
        """Waits in real time (the page's clock must run as it would for a player)."""
        end = time.time() + seconds
        while time.time() < end:
            self.socket.settimeout(max(0.01, end - time.time()))
            try:
                self._event(json.loads(self.socket.recv()))
            except websocket.WebSocketTimeoutException:
                pass
        self.socket.settimeout(60)

    def evaluate(self, expression):
        result = self.send("Runtime.evaluate", expression=expression, returnByValue=True,
                           awaitPromise=True)
        if "exceptionDetails" in result:
            raise RuntimeError(f"{expression}: {result['exceptionDetails']}")
        return result["result"].get("value")

    def navigate(self, url):
        self.console.clear()
        self.send("Page.navigate", url=url)

    def canvas(self):
        encoded = self.evaluate("""(() => {
            const c = document.getElementById('canvas');
            if (!c) return [0, 0, ''];
            const copy = document.createElement('canvas');
            copy.width = c.width; copy.height = c.height;
            const g = copy.getContext('2d');
            g.drawImage(c, 0, 0);
            const d = g.getImageData(0, 0, c.width, c.height).data;
            let s = '';
            for (let i = 0; i < d.length; i += 4) s += String.fromCharCode(d[i], d[i+1], d[i+2]);
            return [c.width, c.height, btoa(s)];
        })()""")
        width, height, data = encoded
        return width, height, base64.b64decode(data)

    def picture(self):
        """The canvas as (scale, the 256 x 240 picture, the full picture); the game draws
        its picture enlarged by a whole scale to fill the canvas. (0, None, None) while the
        canvas has no such size."""
        width, height, full = self.canvas()
        scale = width // WIDTH
        if scale < 1 or width != WIDTH * scale or height != HEIGHT * scale:
            return 0, None, None
        return scale, shrink(full, width, scale), full

    def key(self, down, key, code, key_code):
        self.send("Input.dispatchKeyEvent", type="keyDown" if down else "keyUp", key=key,
                  code=code, windowsVirtualKeyCode=key_code, nativeVirtualKeyCode=key_code)

    def tap(self, key, code, key_code):
        # Held over a few frames: a key pressed and released within one frame shows the
        # game only its release.
        self.key(True, key, code, key_code)
        self.pump(0.15)
        self.key(False, key, code, key_code)


# The recording the page is given by address: Voltbot Mk2 runs right and jumps on Sablex.
RECORDING = "browser-test-run.txt"
PLAYED_SCRIPT = "level Sablex\ncharacter voltbot2\n150 -\n40 right\n1 right jump\n29 right jump\n20 -\n"
PLAYED_FRAMES = 150 + 40 + 1 + 29 + 20

B = ("b", "KeyB", 66)
RIGHT = ("ArrowRight", "ArrowRight", 39)
ENTER = ("Enter", "Enter", 13)


def wait_for_picture(browser, checks, name, seconds=30):
    """Waits until the canvas shows something other than black; returns it or None."""
    end = time.time() + seconds
    while time.time() < end:
        scale, rgb, _ = browser.picture()
        if scale and any(rgb):
            return rgb
        browser.pump(0.25)
    status = browser.evaluate("document.getElementById('status').textContent")
    console = "\n    ".join(text for _, text in browser.console[-10:])
    checks.check(name, False, f"no picture after {seconds} s; page says {status!r}; "
                 f"console:\n    {console}")
    return None


def frame_rate(console, seconds):
    """Frames per second from the game's own report lines, over at least `seconds`."""
    lines = []
    for stamp, text in console:
        parts = text.split()
        if len(parts) == 7 and parts[1] == "frames":
            lines.append((stamp, int(parts[2]), int(parts[4]), int(parts[6])))
    if len(lines) < 2:
        return None
    last = lines[-1]
    first = next((line for line in reversed(lines) if last[2] - line[2] >= seconds * 1000), None)
    if first is None:
        return None
    frames = last[1] - first[1]
    return {"frames": frames, "ms": last[2] - first[2],
            "fps": frames * 1000.0 / (last[2] - first[2]),
            "browser_fps": frames / (last[0] - first[0]),
            "work_us": (last[3] - first[3]) / frames}


def rate_text(rate):
    return "" if rate is None else (
        f"{rate['frames']} frames in {rate['ms']} ms = {rate['fps']:.2f} fps "
        f"(browser clock {rate['browser_fps']:.2f} fps), update + draw "
        f"{rate['work_us']:.0f} µs per frame")


def serve(page):
    """A static file server for the page on a free port of 127.0.0.1: (process, port)."""
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        port = probe.getsockname()[1]
    server = subprocess.Popen([sys.executable, "-m", "http.server", str(port), "--bind",
                               "127.0.0.1", "--directory", page],
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return server, port


@contextlib.contextmanager
def browser_on(page):
    """A headless browser with a fresh profile and a server of the page, as (browser, the
    page's address); both are stopped and the profile removed however the block ends."""
    server, port = serve(page)
    profile = tempfile.mkdtemp(prefix="kestrelix-chromium-")
    browser = None
    try:
        browser = Browser(profile)
        yield browser, f"http://127.0.0.1:{port}/kestrelix.html"
    finally:
        if browser is not None:
            browser.close()
        server.terminate()
        server.wait()
        shutil.rmtree(profile, ignore_errors=True)


def measure(arguments, checks):
    with browser_on(arguments.page) as (browser, base):
        browser.navigate(base + "?level=Sablex&frame-rate")
        if wait_for_picture(browser, checks, "the level is shown") is None:
            return
        # Past the ready phase and the level's first (loading) frame.
        browser.pump(4.0)
        browser.console.clear()
        browser.pump(arguments.measure + 1.5)
        rate = frame_rate(browser.console, arguments.measure)
        checks.check("the game reports its frames", rate is not None, rate_text(rate))


def run(arguments, checks):
    # The desktop's pictures to compare with, made before the browser starts.
    with tempfile.TemporaryDirectory(prefix="kestrelix-web-") as scratch:
        replay = Replay(arguments.replay, arguments.data, scratch)
        menu = replay.menu()
        standing = replay.level_frames("Sablex", "voltbot1", [STANDING_FRAME, STANDING_FRAME + 60])
        checks.check("desktop reference stands still", standing[STANDING_FRAME] ==
                     standing[STANDING_FRAME + 60])
        running = replay.level_frames("Sablex", "voltbot1",
                                      range(STANDING_FRAME + 1, STANDING_FRAME + HELD_FRAMES + 1),
                                      right_from=STANDING_FRAME + 1)
        # The page's clock decides which frame the picture is taken at: any frame from the
        # arrival on will do, as long as it is one the desktop game shows too.
        corvane = replay.level_frames("Corvane", "voltbot2",
                                      range(STANDING_FRAME - 40, STANDING_FRAME + 100))
        played = os.path.join(scratch, RECORDING)
        with open(played, "w") as f:
            f.write(PLAYED_SCRIPT)
        played_end = replay.picture(["--script", played, "--frame", str(PLAYED_FRAMES)], "played")

    with browser_on(arguments.page) as (browser, base):
        browser.navigate(base + "?frame-rate&verbose")
        shown = wait_for_picture(browser, checks, "menu is shown")
        if shown is None:
            return
        said = [text for _, text in browser.console if text.startswith("kestrelix: ")]
        checks.check("the sound opens and every sound loads",
                     any(text.startswith("kestrelix: sound on ") for text in said) and
                     not any(text.startswith("kestrelix: no sound") or ".wav:" in text
                             for text in said), "; ".join(said))
        browser.pump(0.5)
        scale, shown, full = browser.picture()
        checks.check("menu equals the desktop menu", shown == menu,
                     f"{differing_pixels(shown, menu)} of {WIDTH * HEIGHT} pixels differ")
        checks.check("every game pixel a whole block of the canvas",
                     full == enlarge(shown, WIDTH, scale), f"scale {scale}")
        checks.check("page title", browser.evaluate("document.title") == "Kestrelix")
        css = browser.evaluate("""(() => { const r = document.getElementById('canvas')
            .getBoundingClientRect(); return [r.width, r.height, innerWidth, innerHeight]; })()""")
        shown_scale = css[0] / WIDTH
        checks.check("canvas at a whole scale that fits the window",
                     shown_scale >= 1 and shown_scale == int(shown_scale) and
                     css[1] == HEIGHT * shown_scale and css[0] <= css[2] and css[1] <= css[3],
                     f"{css[0]:g} x {css[1]:g} in a {css[2]} x {css[3]} window")

        browser.tap(*B)
        browser.pump(0.3)
        browser.tap(*B)
        browser.pump(0.5)
        _, shown, _ = browser.picture()
        checks.check("b twice starts the level", shown != menu)
        browser.pump(4.0)
        _, shown, _ = browser.picture()
        checks.check("after the ready phase: the desktop's picture of the standing player",
                     shown == standing[STANDING_FRAME],
                     f"{differing_pixels(shown, standing[STANDING_FRAME])} pixels differ")
        if arguments.screenshot:
            capture = browser.send("Page.captureScreenshot", format="png")
            with open(arguments.screenshot, "wb") as f:
                f.write(base64.b64decode(capture["data"]))

        browser.key(True, *RIGHT)
        browser.pump(0.8)
        _, shown, _ = browser.picture()
        browser.key(False, *RIGHT)
        match = next((n for n, picture in running.items() if picture == shown), None)
        checks.check("holding Right: a picture of the desktop game running right",
                     match is not None,
                     f"frame {match - STANDING_FRAME} of the hold" if match else
                     f"none of {HELD_FRAMES} frames; closest differs in "
                     f"{min(differing_pixels(shown, p) for p in running.values())} pixels")

        browser.pump(1.0)
        browser.evaluate("window.dispatchEvent(new FocusEvent('blur')), true")
        browser.pump(0.3)
        _, before, _ = browser.picture()
        browser.key(True, *RIGHT)
        browser.pump(0.6)
        _, during, _ = browser.picture()
        browser.key(False, *RIGHT)
        checks.check("losing focus pauses the game", before == during)
        browser.tap(*ENTER)
        browser.key(True, *RIGHT)
        browser.pump(0.6)
        _, after, _ = browser.picture()
        browser.key(False, *RIGHT)
        checks.check("Enter resumes it", after != during)

        browser.pump(max(0.0, 10.5))
        rate = frame_rate(browser.console, 10)
        checks.check("the game reports its frames", rate is not None and rate["frames"] > 0,
                     rate_text(rate))

        browser.navigate(base + "?level=Corvane&character=voltbot2")
        if wait_for_picture(browser, checks, "level chosen by the address") is not None:
            browser.pump(4.5)
            _, shown, _ = browser.picture()
            match = next((n for n, picture in corvane.items() if picture == shown), None)
            checks.check("?level=Corvane&character=voltbot2 starts there", match is not None,
                         f"the desktop's frame {match}" if match else
                         f"closest differs in "
                         f"{min(differing_pixels(shown, p) for p in corvane.values())} pixels")

        browser.navigate(base + "?level=Nowhere")
        browser.pump(3.0)
        status = browser.evaluate("document.getElementById('status').textContent")
        checks.check("an unknown level is reported on the page",
                     "no section [Nowhere]" in status, repr(status))

        # A recording given by its address is watched to its end, where the game stops on
        # the desktop's picture of its last frame.
        served = os.path.join(arguments.page, RECORDING)
        with open(served, "w") as f:
            f.write(PLAYED_SCRIPT)
        try:
            browser.navigate(base + "?play=" + RECORDING)
            end = time.time() + 30
            shown = None
            while time.time() < end and shown != played_end:
                browser.pump(0.5)
                _, shown, _ = browser.picture()
        finally:
            os.remove(served)
        checks.check("?play=URL watches the recording to its last frame", shown == played_end,
                     "no picture" if shown is None else
                     f"{differing_pixels(shown, played_end)} pixels differ")

        browser.navigate(base + "?play=missing.txt")
        browser.pump(2.0)
        status = browser.evaluate("document.getElementById('status').textContent")
        checks.check("a recording that cannot be fetched is reported on the page",
                     status.startswith("kestrelix: missing.txt: 404"), repr(status))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--page", required=True, help="folder with kestrelix.html")
    parser.add_argument("--replay", help="the desktop kestrelix-replay")
    parser.add_argument("--data", help="the game's data folder")
    parser.add_argument("--screenshot", help="also save a picture of the page here")
    parser.add_argument("--measure", type=float, metavar="SECONDS",
                        help="only measure the frame rate over this long")
    arguments = parser.parse_args()
    if arguments.measure is None and (arguments.replay is None or arguments.data is None):
        parser.error("--replay and --data are needed unless --measure is given")
    arguments.page = os.path.abspath(arguments.page)
    checks = Checks()
    try:
        if arguments.measure is not None:
            measure(arguments, checks)
        else:
            arguments.replay = os.path.abspath(arguments.replay)
            arguments.data = os.path.abspath(arguments.data)
            run(arguments, checks)
    except Exception as error:  # a broken run is a failure, not a crash without a count
        checks.check("the browser test runs to its end", False, f"{type(error).__name__}: {error}")
    print(f"{checks.passed} passed, {checks.failed} failed")
    return 1 if checks.failed else 0


if __name__ == "__main__":
    sys.exit(main())
