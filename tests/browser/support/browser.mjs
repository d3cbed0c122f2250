// The browser the tests run in, with the built extension, in a private session: Debian's
// Chromium (chromium.mjs), or Firefox ESR when QUILLBROOK_TEST_BROWSER=firefox (firefox.mjs). Both
// answer the same methods (extension_browser.mjs), and their pages the same page methods.
import { ChromiumBrowser } from './chromium.mjs';
import { FirefoxBrowser } from './firefox.mjs';
import { browserName } from './programs.mjs';

export { browserName };
export const Browser = browserName === 'firefox' ? FirefoxBrowser : ChromiumBrowser;

// Waits, through the page's own input events, until the element holds `expected`; answers how many
// input events carried it: since the page loaded on the tests' own pages, which record them (so a
// text that arrived before the wait began still counts), else since the wait began.
export function waitForValue(page, selector, expected) {
  return page.evaluate(([wanted, text]) => new Promise((resolve) => {
    const element = document.querySelector(wanted);
    let events = 0;
    const check = () => {
      if (element.value !== text)
        return;
      element.removeEventListener('input', onInput);
      const recorded = (window.inputsSeen ?? []).filter((seen) => seen === text).length;
      resolve(Math.max(events, recorded));
    };
    const onInput = () => {
      ++events;
      check();
    };
    element.addEventListener('input', onInput);
    check();
  }), [selector, expected]);
}

// The text of the box in which Quillbrook tells a failure in the page, once it shows.
export function noticeText(page) {
  return page.evaluate(() => new Promise((resolve) => {
    const read = () => document.querySelector('quillbrook-notice')?.shadowRoot.querySelector('[role=alert]')?.innerText;
    const observer = new MutationObserver(() => {
      if (read() === undefined)
        return;
      observer.disconnect();
      resolve(read());
    });
    observer.observe(document, { childList: true, subtree: true });
    if (read() !== undefined) {
      observer.disconnect();
      resolve(read());
    }
  }));
}

// Clicks the box's button with the mouse, as a user dismisses it; answers how many boxes are left.
export async function dismissNotice(page) {
  const { x, y } = await page.evaluate(() => {
    const box = document.querySelector('quillbrook-notice').shadowRoot.querySelector('button').getBoundingClientRect();
    return { x: box.x + box.width / 2, y: box.y + box.height / 2 };
  });
  await page.mouse.click(x, y);
  return page.evaluate(() => document.querySelectorAll('quillbrook-notice').length);
}
