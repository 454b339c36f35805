// The live read-out page: a card and a one-hour chart per board, filled from
// /api/boards and /api/boards/<letter>/history, then kept current by the
// pushes of /ws. Times travel as the logger's wall clock and are shown in
// UTC, i.e. exactly as the logger's own clock reads.
'use strict';

const HOUR = 3600;
const SLOTS = 9;
const COLORS = ['#0449BB', '#ED1C24', '#009600', '#C602B6', '#5D5151',
                '#EC9123', '#21AEA0', '#400080', '#808000'];
const TEXTS = {
  en: { live: 'live', offline: 'reconnecting…', idle: 'not receiving', receiving: 'receiving',
        none: 'No board is in use.', ref: 'Ref', serial: 'S/N', last: 'last record',
        health: { open: 'open', stuck: 'stuck', jump: 'jump' } },
  ko: { live: '연결됨', offline: '다시 연결 중…', idle: '수신 없음', receiving: '수신 중',
        none: '사용 중인 보드가 없습니다.', ref: '기준', serial: '일련번호', last: '마지막 기록',
        health: { open: '단선', stuck: '고정', jump: '급변' } },
};
const token = new URLSearchParams(location.search).get('token');
let text = TEXTS.en;
const boards = new Map();  // letter -> { card, cells, chart, data }

function withToken(path) {
  return token ? path + (path.includes('?') ? '&' : '?') + 'token=' + encodeURIComponent(token) : path;
}

async function getJson(path) {
  const reply = await fetch(withToken(path), { cache: 'no-store' });
  if (!reply.ok) throw new Error(path + ': ' + reply.status);
  return reply.json();
}

function el(tag, cls, content) {
  const e = document.createElement(tag);
  if (cls) e.className = cls;
  if (content !== undefined) e.textContent = content;
  return e;
}

// "2026-12-08T14:05:32.000" as the logger's wall-clock seconds
function wallSeconds(time) { return time ? Date.parse(time + 'Z') / 1000 : null; }

// the logger's clock as it reads: hh:mm:ss
function clockText(t) { return new Date(t * 1000).toISOString().slice(11, 19); }

function formatValue(v) { return v === null || v === undefined ? '—' : v.toFixed(2); }

function channelName(record, i) {
  const name = record.names[i];
  if (name) return name;
  return i === 0 ? text.ref : 'CH' + i;
}

function makeChart(box, record, data) {
  const series = [{}];
  for (let i = 0; i < SLOTS; ++i) {
    series.push({ label: channelName(record, i), stroke: COLORS[i], width: i === 4 ? 2 : 1.5,
                  spanGaps: false, value: (u, v) => formatValue(v) });
  }
  const opts = {
    width: Math.max(200, box.clientWidth), height: window.innerWidth < 500 ? 200 : 260,
    tzDate: ts => uPlot.tzDate(new Date(ts * 1e3), 'Etc/UTC'),
    series, legend: { live: false },
    axes: [{ values: (u, ticks) => ticks.map(clockText) },
           { label: record.unit || undefined, size: 56 }],
    scales: { x: { time: true } },
  };
  const chart = new uPlot(opts, data, box);
  new ResizeObserver(() => chart.setSize({ width: Math.max(200, box.clientWidth),
                                           height: opts.height })).observe(box);
  return chart;
}

function buildCard(record) {
  const card = el('section', 'card');
  const head = el('div', 'head');
  head.append(el('h2', '', 'DAQ ' + (record.board.charCodeAt(0) - 64)));
  const job = el('span', 'job', record.title);
  const meta = el('span', 'meta');
  const state = el('span', 'state');
  head.append(job, meta, state);
  const values = el('div', 'values');
  const cells = [];
  for (let i = 0; i < SLOTS; ++i) {
    const ch = el('div', 'ch');
    ch.style.setProperty('--c', COLORS[i]);
    const name = el('span', 'name', channelName(record, i));
    const v = el('span', 'v', '—');
    const fault = el('span', 'fault');
    ch.append(name, v, fault);
    values.append(ch);
    cells.push({ ch, name, v, fault });
  }
  const chartBox = el('div', 'chart');
  const stamp = el('div', 'meta');
  card.append(head, values, chartBox, stamp);
  document.getElementById('boards').append(card);
  return { card, job, meta, state, cells, chartBox, stamp, chart: null, data: null };
}

function showRecord(record) {
  const b = boards.get(record.board);
  if (!b) return;
  b.job.textContent = record.title;
  b.meta.textContent = [record.model, record.serial && text.serial + ' ' + record.serial]
    .filter(Boolean).join(' · ');
  b.state.textContent = record.receiving ? text.receiving : text.idle;
  b.card.classList.toggle('idle', !record.receiving);
  b.card.classList.toggle('alarm', record.alarm.some(Boolean));
  record.values.forEach((v, i) => {
    const cell = b.cells[i];
    cell.v.textContent = formatValue(v);
    cell.name.textContent = channelName(record, i);
    cell.ch.classList.toggle('alarm', !!record.alarm[i]);
  });
  b.stamp.textContent = record.time ? text.last + ' ' + record.time.replace('T', ' ').slice(0, 19) : '';
  showHealth(record);
}

// a channel's thermocouple health: "open", "stuck" or "jump" on its cell
function showHealth(message) {
  const b = boards.get(message.board);
  if (!b || !message.health) return;
  message.health.forEach((state, i) => {
    const cell = b.cells[i];
    const fault = state && state !== 'ok' ? state : null;
    cell.ch.classList.toggle('faulty', !!fault);
    cell.ch.dataset.health = fault || '';
    cell.fault.textContent = fault ? (text.health[fault] || fault) : '';
    if (fault === 'open') cell.v.textContent = '—';
  });
}

function appendPoint(record) {
  const b = boards.get(record.board);
  const t = wallSeconds(record.time);
  if (!b || !b.chart || t === null) return;
  const d = b.data;
  d[0].push(t);
  for (let i = 0; i < SLOTS; ++i) d[i + 1].push(record.values[i]);
  let drop = 0;
  while (drop < d[0].length && d[0][drop] < t - HOUR) ++drop;
  if (drop > 0) d.forEach(column => column.splice(0, drop));
  b.chart.setData(d);
}

async function loadBoards() {
  const list = await getJson('/api/boards');
  document.getElementById('empty').hidden = list.length > 0;
  for (const record of list) {
    if (!boards.has(record.board)) boards.set(record.board, buildCard(record));
    showRecord(record);
  }
  for (const record of list) {
    const b = boards.get(record.board);
    const history = await getJson('/api/boards/' + record.board + '/history');
    const newest = history.time.length ? history.time[history.time.length - 1] : 0;
    let first = history.time.findIndex(t => t >= newest - HOUR);
    if (first < 0) first = 0;
    b.data = [history.time.slice(first), ...history.series.map(s => s.slice(first))];
    if (b.chart) b.chart.setData(b.data);
    else b.chart = makeChart(b.chartBox, record, b.data);
  }
  document.body.dataset.ready = 'true';
}

function showAlarm(message) {
  const list = document.getElementById('alarms');
  const item = el('li', '', message.text);
  list.prepend(item);
  while (list.children.length > 4) list.lastChild.remove();
  setTimeout(() => item.remove(), 30000);
}

function connect(delay) {
  const link = document.getElementById('link');
  const ws = new WebSocket(withToken((location.protocol === 'https:' ? 'wss://' : 'ws://') +
                                     location.host + '/ws'));
  ws.onopen = () => {
    link.textContent = text.live;
    link.className = 'link on';
    delay = 1000;
    loadBoards().catch(() => {});  // whatever was missed while away
  };
  ws.onmessage = event => {
    const message = JSON.parse(event.data);
    if (message.type === 'record') {
      if (!boards.has(message.board)) { loadBoards().catch(() => {}); return; }
      showRecord(message);
      appendPoint(message);
    } else if (message.type === 'alarm') {
      showAlarm(message);
    } else if (message.type === 'health') {
      showHealth(message);
    }
  };
  ws.onclose = () => {
    link.textContent = text.offline;
    link.className = 'link off';
    setTimeout(() => connect(Math.min(delay * 2, 30000)), delay);
  };
}

async function start() {
  try {
    const info = await getJson('/api/info');
    text = info.korean ? TEXTS.ko : TEXTS.en;
    document.documentElement.lang = info.korean ? 'ko' : 'en';
    document.title = info.title;
    document.getElementById('title').textContent = info.title;
  } catch (e) { /* the page still works in English */ }
  document.getElementById('empty').textContent = text.none;
  document.getElementById('link').textContent = text.offline;
  loadBoards().catch(() => {});
  connect(1000);
}

start();
