"""What the page says when the game cannot load or stops, in headless
Chromium: a .wasm or .data file that does not arrive, a browser without
WebAssembly, a trap in a key handler, a lost WebGL context, and a runtime
whose GL emulation lacks a field the game reads. Each must end on a message
that says what happened and what to do, never on "Loading" or a frozen
picture with the sound playing on.

Run: /usr/bin/python3 tests/web/test_failures.py (KV_WEB_DIST picks the folder)."""
import base64
import os
import re
import sys
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import kvweb  # noqa: E402
from kvweb import wait_for  # noqa: E402


class FailureMessageTest(kvweb.PageTestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        # Every load goes to the server: the page's service worker, installed
        # by the first case, would otherwise serve the files from its cache
        # and hide the failures these cases make.
        cls.page.send("Network.enable")
        cls.page.send("Network.setBypassServiceWorker", bypass=True)

    def setUp(self):
        self.page.errors.clear()
        self.page.console.clear()

    def message(self):
        """The page's message once the game has stopped (waits for it)."""
        p = self.page
        wait_for(lambda: p.eval("window.kvStatus") == "stopped", 60, "the page's stop message")
        text = p.eval("document.getElementById('message').style.display === 'block' && "
                      "document.getElementById('message').textContent")
        print("page says: %r" % text, file=sys.stderr)
        return text

    def open_running(self):
        p = self.page
        p.open(self.url)
        wait_for(lambda: p.frames() >= 3, 120, "drawn frames")
        return p

    def assertSoundStopped(self):
        """Every audio context is closed and the mixer is no longer fed."""
        p = self.page
        self.assertTrue(p.eval("kvAudioContexts.length > 0 && "
                               "kvAudioContexts.every(c => c.state === 'closed')"),
                        p.eval("kvAudioContexts.map(c => c.state).join()"))
        mixed = p.eval("Module.kvMixerCounts().mixedFrames")
        time.sleep(0.5)
        self.assertEqual(p.eval("Module.kvMixerCounts().mixedFrames"), mixed)

    def test_a_file_that_does_not_arrive(self):
        # Blocked (as when the network is lost) and answered with a 404.
        p = self.page
        for pattern in ("*.wasm", "*.data"):
            for how in ("blocked", "404"):
                with self.subTest(file=pattern, how=how):
                    if how == "blocked":
                        p.send("Network.setBlockedURLs", urls=[pattern])
                    else:
                        p.send("Fetch.enable", patterns=[{"urlPattern": pattern}])
                    try:
                        p.events.clear()
                        p.send("Page.navigate", url=self.url)
                        if how == "404":
                            # Every request for it (the runtime asks twice for
                            # the .wasm) is answered with a 404.
                            def answered():
                                for i, m in enumerate(p.events):
                                    if m.get("method") == "Fetch.requestPaused":
                                        paused = p.events.pop(i)["params"]
                                        p.send("Fetch.fulfillRequest", requestId=paused["requestId"],
                                               responseCode=404, body=base64.b64encode(b"gone").decode())
                                p.pump(0.05)
                                return p.eval("window.kvStatus") == "stopped"
                            wait_for(answered, 60, "the page's stop message")
                        text = self.message()
                    finally:
                        p.send("Network.setBlockedURLs", urls=[])
                        p.send("Fetch.disable")
                    self.assertIn("could not be loaded", text)
                    self.assertIn("reload the page", text)

    def test_a_browser_without_webassembly(self):
        p = self.page
        script = p.send("Page.addScriptToEvaluateOnNewDocument", source="delete window.WebAssembly;")
        try:
            p.open(self.url)
            text = self.message()
        finally:
            p.send("Page.removeScriptToEvaluateOnNewDocument", identifier=script["identifier"])
        self.assertIn("needs WebAssembly", text)
        self.assertIn("Update the browser", text)

    def test_a_trap_in_a_key_handler_stops_the_game_and_its_sound(self):
        p = self.open_running()
        mixed = p.eval("Module.kvMixerCounts().mixedFrames")
        wait_for(lambda: p.eval("Module.kvMixerCounts().mixedFrames") > mixed, 60, "sound being mixed")
        p.eval("window.kvTestTrapKey = 'q'.charCodeAt(0)")
        p.key("q", True)
        p.key("q", False)
        text = self.message()
        self.assertIn("KelVantis stopped", text)
        self.assertIn("unreachable", text)  # the trap's own text
        self.assertIn("Reload the page", text)
        self.assertSoundStopped()
        # Later keys no longer reach the stopped game.
        frames = p.frames()
        p.key("Down", True)
        p.key("Down", False)
        time.sleep(0.3)
        self.assertEqual(p.frames(), frames)

    def test_a_lost_webgl_context(self):
        p = self.open_running()
        p.eval("Module.canvas.getContext('webgl').getExtension('WEBGL_lose_context').loseContext()")
        text = self.message()
        self.assertIn("lost its picture", text)
        self.assertIn("Reload the page", text)
        self.assertSoundStopped()

    def test_a_runtime_without_a_gl_field_the_game_reads(self):
        # A newer runtime that renamed the field: renamed in the runtime's own
        # code (identifiers), not in the game's reads (which name it in quotes).
        p = self.page
        cases = {
            "GLImmediate.clientColor": (r"(?<![\"'\w])clientColor(?![\"'\w])", "clientColour"),
            "GLImmediate.TexEnvJIT": (r"(?<![\"'\w])TexEnvJIT(?![\"'\w])", "TexEnvJit"),
            "a texture's .name": (r"(\w+)\.name\s*=\s*id\b", r"\1.glName=id"),
        }
        for field, (pattern, replacement) in cases.items():
            with self.subTest(field=field):
                p.send("Fetch.enable", patterns=[{"urlPattern": "*kelvantis*.js", "requestStage": "Response"}])
                try:
                    p.events.clear()
                    p.send("Page.navigate", url=self.url)
                    paused = p.wait_event("Fetch.requestPaused")
                    body = p.send("Fetch.getResponseBody", requestId=paused["requestId"])
                    code = base64.b64decode(body["body"]).decode() if body["base64Encoded"] else body["body"]
                    changed, count = re.subn(pattern, replacement, code)
                    self.assertGreater(count, 0, "the runtime no longer has " + field)
                    p.send("Fetch.fulfillRequest", requestId=paused["requestId"], responseCode=200,
                           responseHeaders=[{"name": "Content-Type", "value": "text/javascript"}],
                           body=base64.b64encode(changed.encode()).decode())
                    text = self.message()
                finally:
                    p.send("Fetch.disable")
                self.assertIn("GL emulation lacks " + field, text)
                p.pump()
                self.assertTrue(any(field in e for e in p.errors), p.errors)


if __name__ == "__main__":
    unittest.main()
