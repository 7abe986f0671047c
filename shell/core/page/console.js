// The operator console: the server's state every two seconds, the live feed of request
// blocks, upgrade lines and pictures, and the actions. Every text from the server is put
// in as text (textContent), never as markup: it comes from clients and the database.
'use strict';

const MAX_BLOCKS = 500;
const MAX_PICTURE_BYTES = 64 * 1024 * 1024; // the window's bound on a decoded picture
const TOKEN_KEY = 'vantor-console-token';

const $ = (id) => document.getElementById(id);
let tokenNeeded = false;

function token() { return sessionStorage.getItem(TOKEN_KEY) || ''; }

function headers() {
  const t = token();
  return t ? { Authorization: 'Bearer ' + t } : {};
}

function askForToken(note) {
  tokenNeeded = true;
  $('token-box').hidden = false;
  $('token-note').textContent = note;
}

function bytesText(n) {
  if (n >= 1048576) return (n / 1048576).toFixed(1) + ' MiB';
  if (n >= 1024) return (n / 1024).toFixed(1) + ' KiB';
  return n + ' B';
}

function durationText(seconds) {
  const d = Math.floor(seconds / 86400), h = Math.floor(seconds / 3600) % 24;
  const m = Math.floor(seconds / 60) % 60, s = seconds % 60;
  return (d ? d + ' d ' : '') + (d || h ? h + ' h ' : '') + m + ' min ' + s + ' s';
}

function msText(seconds) {
  if (seconds < 0) return '–';
  if (seconds >= 10) return '> 10 s';
  return (seconds * 1000).toFixed(seconds < 0.01 ? 2 : 0) + ' ms';
}

function cell(row, value) {
  const td = document.createElement('td');
  td.textContent = value;
  row.appendChild(td);
}

function showRoutes(minute, quarter) {
  const body = $('routes').tBodies[0];
  const byRoute = new Map();
  for (const r of quarter) byRoute.set(r.route, { quarter: r });
  for (const r of minute) (byRoute.get(r.route) || byRoute.set(r.route, {}).get(r.route)).minute = r;
  body.replaceChildren();
  for (const [route, w] of [...byRoute.entries()].sort()) {
    const row = document.createElement('tr');
    cell(row, route);
    for (const r of [w.minute, w.quarter]) {
      if (!r) { for (let i = 0; i < 6; i++) cell(row, '–'); continue; }
      cell(row, r.requests); cell(row, r.failures); cell(row, r.fallbacks); cell(row, r.empty);
      cell(row, msText(r.p50)); cell(row, msText(r.p99));
    }
    body.appendChild(row);
  }
}

function showChart(chart) {
  const top = Math.max(1, ...chart.requests);
  const points = (values) => values.map((v, i) =>
    (900 - values.length + i) + ',' + (160 - (v / top) * 150).toFixed(1)).join(' ');
  $('chart-requests').setAttribute('points', points(chart.requests));
  $('chart-failures').setAttribute('points', points(chart.failures));
  const failures = chart.failures.reduce((a, b) => a + b, 0);
  $('chart-scale').textContent = 'top of the chart: ' + top + ' requests a second; ' +
    failures + ' failures in the last ' + chart.requests.length + ' s';
}

function showState(s) {
  $('version').textContent = s.version;
  $('database').textContent = s.database;
  $('uptime').textContent = durationText(s.uptime);
  const ready = $('ready');
  ready.textContent = s.ready ? 'ready' : 'not ready';
  ready.className = 'badge ' + (s.ready ? 'ok' : 'bad');
  $('reason').textContent = s.ready ? 'ready' : s.reason;
  $('link').textContent = s.link;
  $('attachments').textContent = s.busy + ' busy, ' + s.idle + ' idle';
  $('connections').textContent = s.connections ?? '–';
  $('queue').textContent = s.queue ?? '–';
  $('answer-bytes').textContent = s.answerBytes === undefined ? '–' : bytesText(s.answerBytes);
  $('viewers').textContent = s.viewers + ' (' + s.dropped + ' events dropped; ' + bytesText(s.consoleBytes) + ' held)';
  $('nocheck').checked = s.nocheck;
  $('update').disabled = s.upgrading;
  showRoutes(s.minute, s.quarter);
  showChart(s.chart);
}

async function refreshState() {
  try {
    const answer = await fetch('/console/state', { headers: headers(), cache: 'no-store' });
    if (answer.status === 401) return askForToken('watching from this address needs the token');
    if (answer.ok) showState(await answer.json());
  } catch (e) { /* the next round tries again */ }
}

function matches(block) {
  const route = $('filter-route').value.trim();
  const client = $('filter-client').value.trim();
  if (route && !block.dataset.route.includes(route)) return false;
  if (client && !block.dataset.client.includes(client)) return false;
  if ($('filter-failures').checked && block.dataset.outcome !== 'failure') return false;
  return true;
}

function applyFilters() {
  for (const block of $('log').children) block.hidden = !matches(block);
}

function addBlock(b) {
  const block = document.createElement('div');
  block.className = 'block ' + b.outcome;
  block.dataset.route = b.route;
  block.dataset.client = b.client;
  block.dataset.outcome = b.outcome;
  const meta = document.createElement('div');
  meta.className = 'meta';
  meta.textContent = b.time + '  ' + b.route + '  ' + b.outcome + '  ' + b.client + '  ' + b.ms + ' ms';
  const text = document.createElement('pre');
  text.textContent = b.text;
  block.append(meta, text);
  block.hidden = !matches(block);
  const log = $('log');
  log.prepend(block);
  while (log.children.length > MAX_BLOCKS) log.lastElementChild.remove();
}

function addStatus(s) {
  const lines = $('status-lines');
  lines.textContent += s.time + '  ' + s.line + '\n';
  lines.scrollTop = lines.scrollHeight;
}

async function showPicture(p) {
  const note = $('picture-note');
  if (p.refused || p.bytes > MAX_PICTURE_BYTES) {
    note.textContent = 'a picture of ' + bytesText(p.bytes) + ' was refused (over ' + bytesText(MAX_PICTURE_BYTES) + ')';
    return;
  }
  const answer = await fetch('/console/picture', { headers: headers(), cache: 'no-store' });
  if (!answer.ok) return;
  const base64 = (await answer.text()).trim();
  if (base64.length * 3 / 4 > MAX_PICTURE_BYTES) { note.textContent = 'a picture over the bound was refused'; return; }
  const img = $('picture');
  img.onload = () => {
    // as the window: decoded at an eighth of its size at most, and refused when even that is over the bound
    if (img.naturalWidth * img.naturalHeight * 3 / 64 > MAX_PICTURE_BYTES) {
      img.hidden = true;
      note.textContent = 'a picture of ' + img.naturalWidth + ' × ' + img.naturalHeight + ' px was refused';
    }
  };
  img.src = 'data:image/jpeg;base64,' + base64;
  img.hidden = false;
  note.textContent = bytesText(p.bytes);
}

let droppedInAll = 0;
function handleEvent(name, data) {
  if (name === 'block') addBlock(JSON.parse(data));
  else if (name === 'status') addStatus(JSON.parse(data));
  else if (name === 'picture') showPicture(JSON.parse(data));
  else if (name === 'dropped') {
    droppedInAll += Number(data);
    $('log-note').textContent = droppedInAll + ' blocks were dropped: this page read them too slowly';
  }
}

// Server-Sent Events read with fetch(), so that the token goes in a header and never in
// an address that logs would keep.
async function follow() {
  try {
    const answer = await fetch('/console/events', { headers: headers(), cache: 'no-store' });
    if (answer.status === 401) { askForToken('watching from this address needs the token'); return retry(); }
    if (!answer.ok) { $('log-note').textContent = (await answer.text()).trim(); return retry(); }
    $('log-note').textContent = '';
    const reader = answer.body.pipeThrough(new TextDecoderStream()).getReader();
    let pending = '';
    for (;;) {
      const { value, done } = await reader.read();
      if (done) break;
      pending += value;
      let end;
      while ((end = pending.indexOf('\n\n')) >= 0) {
        const message = pending.slice(0, end);
        pending = pending.slice(end + 2);
        let name = 'message';
        const data = [];
        for (const line of message.split('\n')) {
          if (line.startsWith('event: ')) name = line.slice(7);
          else if (line.startsWith('data: ')) data.push(line.slice(6));
        }
        if (data.length) handleEvent(name, data.join('\n'));
      }
    }
  } catch (e) { /* reconnect below */ }
  retry();
}

function retry() { setTimeout(follow, 3000); }

async function act(path, body) {
  if (!token()) { askForToken('the actions need the token'); return null; }
  const answer = await fetch(path, { method: 'POST', headers: headers(), body, cache: 'no-store' });
  if (answer.status === 401) { askForToken('the token was not accepted'); return null; }
  return answer;
}

function start() {
  $('token-save').addEventListener('click', () => {
    sessionStorage.setItem(TOKEN_KEY, $('token').value.trim());
    $('token').value = '';
    $('token-box').hidden = true;
    if (tokenNeeded) { tokenNeeded = false; refreshState(); }
  });
  $('nocheck').addEventListener('change', async (e) => {
    const wanted = e.target.checked;
    const answer = await act('/console/nocheck', wanted ? 'on' : 'off');
    if (!answer || !answer.ok) e.target.checked = !wanted;
  });
  $('update').addEventListener('click', async () => {
    const answer = await act('/console/update', '');
    if (answer && !answer.ok) addStatus({ time: '', line: (await answer.text()).trim() });
  });
  for (const id of ['filter-route', 'filter-client', 'filter-failures']) $(id).addEventListener('input', applyFilters);
  refreshState();
  setInterval(refreshState, 2000);
  follow();
}

start();
