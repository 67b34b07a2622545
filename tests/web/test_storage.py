"""The options in browser storage, in headless Chromium: an option saved just
before the page is closed is there on the next visit, options a build before
kept under the old database name are carried over, and a save that reaches
no storage is reported as the desktop game reports it.

Run: /usr/bin/python3 tests/web/test_storage.py (KV_WEB_DIST picks the folder)."""
import os
import sys
import unittest
import urllib.request

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import kvweb  # noqa: E402
from kvweb import wait_for  # noqa: E402

KV_CFG = "new TextDecoder().decode(FS.readFile('/player/kv.cfg'))"
OLD_OPTIONS = "FULLSCREEN=0\r\nMUSIC=3\r\nSFX=7\r\nSWAPP1=1"


class OptionStorageTest(kvweb.PageTestCase):
    one_browser = False

    def setUp(self):
        # A fresh profile for each case: nothing kept from another.
        self.browser = kvweb.Chromium().__enter__()
        self.addCleanup(self.browser.close)
        self.page = self.open_page()

    def open_page(self):
        page = kvweb.Page(self.browser)
        self.addCleanup(page.close)
        page.open(self.url)
        wait_for(lambda: page.frames() >= 3, 120, "drawn frames")
        return page

    def change_music_and_leave(self, page, release=True):
        """Options, music one step down, then Return (which saves); the last
        key is only pressed, not released, when release is false."""
        page.press("Down", "Down", "Enter")
        page.press("Down", "Enter", "Left", "Enter")
        page.press("Down", "Down", "Down", "Down")
        if release:
            page.press("Enter")
        else:
            page.key("Enter", True)

    def test_an_option_saved_just_before_closing_is_kept(self):
        p = self.page
        self.assertFalse(p.eval("FS.analyzePath('/player/kv.cfg').exists"))
        # Slow storage: a transaction of the page's own keeps the database busy
        # for a while, so the database's save is still waiting when the page
        # closes (on a fast machine it may finish first, and prove nothing).
        p.eval("""new Promise((done, fail) => {
            const open = indexedDB.open('/kelvantis-options');
            open.onerror = fail;
            open.onsuccess = () => {
                const store = open.result.transaction(['FILE_DATA'], 'readwrite').objectStore('FILE_DATA');
                const until = Date.now() + 20000;
                const busy = () => { if (Date.now() < until) store.get('-').onsuccess = busy; };
                busy();
                done(true);
            };
        })""", await_promise=True)
        self.change_music_and_leave(p, release=False)
        wait_for(lambda: p.eval("FS.analyzePath('/player/kv.cfg').exists"), 30, "the options saved")
        p.send("Page.close")
        request = urllib.request.Request("http://127.0.0.1:%d/json/new?about:blank" % self.browser.port,
                                         method="PUT")
        urllib.request.urlopen(request, timeout=10).close()
        again = self.open_page()
        kept = again.eval("FS.analyzePath('/player/kv.cfg').exists && " + KV_CFG)
        self.assertTrue(kept, "no options after reopening")
        self.assertIn("MUSIC=", kept)
        self.assertNotIn("MUSIC=128", kept)

    def test_options_under_the_old_database_name_are_carried_over(self):
        p = self.page
        # What builds before kept: kv.cfg in the database named /store.
        p.eval("""new Promise((done, fail) => {
            FS.mkdir('/store');
            FS.mount(FS.filesystems.IDBFS, {}, '/store');
            FS.writeFile('/store/kv.cfg', '%s');
            FS.syncfs(false, e => e ? fail(e) : done(true));
        })""" % OLD_OPTIONS.replace("\r", "\\r").replace("\n", "\\n"), await_promise=True)
        p.reload()
        wait_for(lambda: p.frames() >= 3, 120, "drawn frames after the reload")
        self.assertEqual(p.eval(KV_CFG), OLD_OPTIONS)
        # Kept under the new name: it stays when the old database is gone.
        p.eval("new Promise(done => { const r = indexedDB.deleteDatabase('/store');"
               " r.onsuccess = r.onerror = r.onblocked = () => done(true); })", await_promise=True)
        p.eval("localStorage.clear()")
        p.reload()
        wait_for(lambda: p.frames() >= 3, 120, "drawn frames after the second reload")
        self.assertEqual(p.eval(KV_CFG), OLD_OPTIONS)

    def test_a_save_that_reaches_no_storage_is_reported_as_on_the_desktop(self):
        p = self.page
        p.eval("Storage.prototype.setItem = () => { throw new DOMException('full', 'QuotaExceededError'); };"
               "IDBObjectStore.prototype.put = () => { throw new DOMException('full', 'QuotaExceededError'); };")
        # The game itself says the same at start-up when there is no kv.cfg yet.
        p.pump()
        p.console.clear()
        self.change_music_and_leave(p)
        wait_for(lambda: (p.pump(), ("log", "ERROR opening file kv.cfg") in p.console)[1], 30,
                 "the desktop's message for a failed save")


if __name__ == "__main__":
    unittest.main()
