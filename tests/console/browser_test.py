"""The console's page in a real browser (Debian's Chromium, headless, driven by chromium-driver
through Selenium), on a lab of 12 scripted PCs: the page loads with the token and shows a row per
PC; a release clicked on it moves the run on; texts from the lab's files show as text, never as
markup; without the token the page is refused. A screenshot of the page is kept.

    browser_test.py CONSOLE SCRIPT SCREENSHOT"""

import os
import shutil
import sys
import tempfile
import time
import unittest

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import WebDriverWait

import lab

CONSOLE, SCRIPT, SCREENSHOT = [], [], []
PCS = [f"PC{n:02d}" for n in range(1, 12)]
# A PC whose name a page would run as a script if it took it as markup.
HOSTILE = "<script>document.title='hacked'</script>"


def browser(profile):
    options = webdriver.ChromeOptions()
    for argument in ["--headless=new", "--no-sandbox", "--disable-gpu", "--disable-quic",
                     "--no-first-run", "--disable-background-networking",
                     "--disable-component-update", "--disable-sync", "--window-size=1600,900",
                     "--user-data-dir=" + profile]:
        options.add_argument(argument)
    options.binary_location = "/usr/bin/chromium"
    return webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)


class ConsolePage(unittest.TestCase):
    def setUp(self):
        self.folder = lab.SharedFolder([f"{n:02d}" for n in range(1, 13)])
        # The colour names of the word file reach the payment list: one of them is markup.
        words = os.path.join(self.folder.data, "english.wds")
        with open(words, encoding="utf-8") as f:
            lines = f.read().split("\n")
        lines[38] = '"<b>yellow</b>"'
        with open(words, "w", encoding="utf-8") as f:
            f.write("\n".join(lines))
        self.console = lab.Console(CONSOLE, [self.folder.data])
        self.profile = tempfile.mkdtemp(prefix="tovask-chromium-")
        self.driver = browser(self.profile)
        self.lab = None

    def tearDown(self):
        self.driver.quit()
        shutil.rmtree(self.profile, ignore_errors=True)
        if self.lab:
            self.lab.close()
        self.console.stop()
        self.folder.remove()

    def rows(self):
        return self.driver.find_elements(By.CSS_SELECTOR, "#runs tbody tr")

    def row(self, pc):
        for row in self.rows():
            cells = row.find_elements(By.TAG_NAME, "td")
            if len(cells) > 1 and cells[1].text == pc:
                return cells
        raise AssertionError("no row of " + pc)

    def until(self, what, condition, timeout=20):
        WebDriverWait(self.driver, timeout).until(lambda d: condition(), message=what)

    def test_the_page_shows_the_lab_and_releases_a_run(self):
        pcs = PCS + [HOSTILE]
        status, text = self.console.request("/api/plan", {"rows": [
            {"pc": pc, "input_data_file": f"{n:02d}", "language": "English", "treatment": "1",
             "time_to_wait": "1", "reading_time": "5"} for n, pc in enumerate(pcs, 1)]})
        self.assertEqual(status, 200, text)
        self.lab = lab.Lab(SCRIPT, self.folder.path, pcs)
        # A lab in the middle of its session: PCs at each stage.
        self.lab.send(pcs[0:4], "click", "click", *["tick"] * 5)               # hold point 1
        self.lab.send(pcs[4:6], "click", "click", "tick")                      # reading
        self.lab.send(pcs[6:9], "click", "click", *["tick"] * 5, "key 3", "click", "click",
                      "slider 300", "tick", "click", "click")                  # problems
        self.lab.send(pcs[9:10], "click", "click", *["tick"] * 5, "key 3", "click",
                      *["click", "slider 800", "tick", "click"] * 3, "click", "key 3", "click",
                      "set TaskNumber 1", "click")                             # played out
        self.lab.send(pcs[10:12], "click")                                     # files read
        self.console.wait_for("the lab", lambda s: lab.rows_by_pc(s)["PC10"]["phase"] == "played out"
                              and lab.rows_by_pc(s)["PC07"]["stage_text"] == "problem 2 of 3"
                              and lab.rows_by_pc(s)["PC01"]["waiting_at"] == 1)

        self.driver.get(self.console.address)
        self.until("a row per PC", lambda: len(self.rows()) == 12)
        self.assertEqual([self.row(pc)[1].text for pc in pcs], pcs)
        self.assertEqual(self.driver.title, "tovask console")  # the name ran as no script
        self.until("the stages", lambda: self.row("PC01")[5].text == "waiting at hold point 1"
                   and self.row("PC07")[5].text == "problem 2 of 3")
        self.assertIn("12 PCs", self.driver.find_element(By.ID, "summary").text)
        if SCREENSHOT:
            self.driver.save_screenshot(SCREENSHOT[0])

        # Tick PC02 and release the selection at hold point 1.
        self.row("PC02")[0].find_element(By.TAG_NAME, "input").click()
        self.driver.find_element(By.ID, "release-selected-1").click()
        WebDriverWait(self.driver, 5).until(lambda d: d.switch_to.alert).accept()
        self.until("PC02 moves on", lambda: self.row("PC02")[5].text.startswith("released"))
        self.assertEqual(self.row("PC01")[5].text, "waiting at hold point 1")
        self.assertIn("Release sent to PC02", self.driver.find_element(By.ID, "release-result").text)

        # The payment list shows the colour name of the word file as it is written.
        self.driver.find_element(By.CSS_SELECTOR, "nav button[data-view=payments]").click()
        self.until("the payment", lambda: len(self.driver.find_elements(
            By.CSS_SELECTOR, "#payments tbody tr")) == 1)
        cells = self.driver.find_elements(By.CSS_SELECTOR, "#payments tbody tr td")
        self.assertEqual(cells[0].text, "PC10")
        self.assertIn("<b>yellow</b>", [cell.text for cell in cells])
        self.assertEqual(self.driver.find_elements(By.CSS_SELECTOR, "#payments b"), [])

        # Without the token the page is refused.
        self.driver.get(self.console.base + "/")
        self.assertIn("forbidden", self.driver.find_element(By.TAG_NAME, "body").text)
        self.assertEqual(self.driver.find_elements(By.ID, "runs"), [])


if __name__ == "__main__":
    CONSOLE.append(sys.argv[1])
    SCRIPT.append(sys.argv[2])
    SCREENSHOT.extend(sys.argv[3:4])
    unittest.main(argv=sys.argv[:1])
