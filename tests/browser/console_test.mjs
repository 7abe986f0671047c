// The operator console in Debian's chromium, driven by puppeteer-core. Arguments: the
// admin address, the clients' address, the token, where the screenshot goes. Prints
// what it measured and exits 1 on the first thing that is not as it should be.
import puppeteer from 'puppeteer-core';

const [admin, clients, token, screenshot] = process.argv.slice(2);
const seconds = (start) => ((Date.now() - start) / 1000).toFixed(2);
const fail = (what) => { console.log('FAILED: ' + what); process.exitCode = 1; throw new Error(what); };

async function clientBody(path) {
  const answer = await fetch(clients + path);
  return answer.text();
}

async function itemOfPrice(code) {
  const body = await clientBody('/price?code=' + code);
  const found = /"ITEM":"([^"]*)"/i.exec(body);
  return found ? found[1] : body;
}

async function waitFor(page, what, test, timeout = 2000) {
  const start = Date.now();
  try {
    await page.waitForFunction(test.body, { timeout, polling: 50 }, ...(test.args || []));
  } catch (e) {
    fail(what + ' within ' + timeout / 1000 + ' s');
  }
  return seconds(start);
}

const browser = await puppeteer.launch({
  executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
  headless: true,
  args: ['--no-sandbox', '--disable-gpu', '--disable-dev-shm-usage'],
});
try {
  const page = await browser.newPage();
  await page.setViewport({ width: 1280, height: 1000 });
  const problems = [];
  page.on('dialog', async (dialog) => { problems.push('a dialog opened: ' + dialog.message()); await dialog.dismiss(); });
  page.on('console', (message) => {
    if (message.type() === 'error' && /Content Security Policy|Refused/.test(message.text())) problems.push(message.text());
  });
  page.on('pageerror', (error) => problems.push('script error: ' + error.message));
  await page.evaluateOnNewDocument((t) => sessionStorage.setItem('vantor-console-token', t), token);
  await page.goto(admin + '/', { waitUntil: 'domcontentloaded' });
  await waitFor(page, 'the state shown', { body: () => document.getElementById('version').textContent !== '' }, 5000);

  // a request's block appears
  const marker = 'A100';
  const sent = Date.now();
  await clientBody('/whqty?code=' + marker);
  await waitFor(page, 'the block of /whqty', {
    body: () => [...document.querySelectorAll('#log .block')].some((b) => b.dataset.route === 'whqty'),
  });
  console.log('a request\'s block appeared after ' + seconds(sent) + ' s');

  // a parameter holding markup stays text
  const probe = '<img src=x onerror="window.__ran=1">';
  await clientBody('/price?code=' + encodeURIComponent(probe));
  await waitFor(page, 'the block of the markup probe', {
    body: (text) => [...document.querySelectorAll('#log pre')].some((p) => p.textContent.includes(text)),
    args: [probe],
  });
  const ran = await page.evaluate(() => window.__ran === 1 || document.querySelector('#log img') !== null);
  if (ran) fail('markup from a request ran or became an element');
  console.log('a parameter holding markup showed as text; nothing ran');

  // "No Check Digit" on and off, as the console's nocheck does
  const code = '5012345678900';
  if (await itemOfPrice(code) !== 'A100') fail('/price before: ' + await itemOfPrice(code));
  await page.click('#nocheck');
  await waitFor(page, 'nocheck on confirmed', { body: () => document.getElementById('nocheck').checked });
  let item = '';
  for (let i = 0; i < 40 && item !== 'A300'; i++) { item = await itemOfPrice(code); await new Promise((r) => setTimeout(r, 50)); }
  if (item !== 'A300') fail('/price with No Check Digit: ' + item);
  await page.click('#nocheck');
  for (let i = 0; i < 40 && item !== 'A100'; i++) { item = await itemOfPrice(code); await new Promise((r) => setTimeout(r, 50)); }
  if (item !== 'A100') fail('/price after No Check Digit off: ' + item);
  console.log('No Check Digit on: /price?code=' + code + ' answered A300; off: A100');

  // an action without the token is refused and changes nothing
  const refused = await fetch(admin + '/console/nocheck', { method: 'POST', body: 'on' });
  if (refused.status !== 401) fail('a POST without the token got ' + refused.status);
  if (await itemOfPrice(code) !== 'A100') fail('a refused POST changed /price');
  console.log('a POST without the token: 401, /price unchanged');

  // the last picture
  await clientBody('/product_images?code=A100');
  await waitFor(page, 'the picture', {
    body: () => { const img = document.getElementById('picture'); return img.src.startsWith('data:image/jpeg;base64,') && img.naturalWidth > 0; },
  }, 5000);
  console.log('the picture of /product_images showed, ' + await page.evaluate(() => document.getElementById('picture').naturalWidth) + ' px wide');

  // the upgrade, its lines as they come
  const asked = Date.now();
  await page.click('#update');
  await waitFor(page, 'update finished', {
    body: () => document.getElementById('status-lines').textContent.includes('update finished'),
  }, 120000);
  console.log('Update: "update finished" shown after ' + seconds(asked) + ' s');

  await page.waitForFunction(() => document.querySelectorAll('#routes tbody tr').length > 0, { timeout: 5000 });
  await page.screenshot({ path: screenshot, fullPage: true });
  if (problems.length) fail(problems.join('; '));
  console.log('ok');
} finally {
  await browser.close();
}
