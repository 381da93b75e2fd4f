// The console's page: it draws the state the console pushes (server-sent events), and sends the
// experimenter's releases and plan. Every text from the lab's files goes in as text, never as
// markup.
'use strict';

(function () {
  const token = new URLSearchParams(window.location.search).get('token') || '';
  const withToken = (path) => path + (path.includes('?') ? '&' : '?') + 'token=' + encodeURIComponent(token);
  const $ = (id) => document.getElementById(id);

  let state = null;
  let receivedAt = 0; // when the state came, on this page's clock
  let paymentsCount = -1;
  const selected = new Set();

  // An element with text content only.
  function cell(tag, text, className) {
    const element = document.createElement(tag);
    if (text !== undefined && text !== null) element.textContent = String(text);
    if (className) element.className = className;
    return element;
  }

  function clock(seconds) {
    if (seconds === null || seconds === undefined) return '';
    const s = Math.max(0, Math.floor(seconds));
    const h = Math.floor(s / 3600);
    const m = Math.floor((s % 3600) / 60);
    const two = (n) => String(n).padStart(2, '0');
    return h > 0 ? h + ':' + two(m) + ':' + two(s % 60) : m + ':' + two(s % 60);
  }

  // A time of the state, moved on by the seconds since it came.
  function since(value) {
    if (value === null || value === undefined) return null;
    return value + (Date.now() - receivedAt) / 1000;
  }

  async function send(path, body) {
    const response = await fetch(withToken(path), {
      method: 'POST',
      headers: { 'Content-Type': 'application/json', 'X-Tovask-Token': token },
      body: JSON.stringify(body),
    });
    const text = await response.text();
    let json = null;
    try { json = JSON.parse(text); } catch (e) { json = { errors: [text] }; }
    return { ok: response.ok, json: json };
  }

  function rowClass(run) {
    if (run.phase === 'not started') return 'not-started';
    if (run.warnings.length > 0) return 'trouble';
    if (run.waiting_at > 0) return 'waiting';
    if (run.phase === 'played out' || run.phase === 'closed early') return 'done';
    return '';
  }

  function stageText(run) {
    let text = run.stage_text;
    if (run.phase === 'reading' && run.reading_left !== null) {
      text = 'reading, ' + Math.max(0, Math.floor(run.reading_left - (Date.now() - receivedAt) / 1000)) + ' s left';
    }
    return run.release_sent ? text + ' · release sent' : text;
  }

  function aliveText(run) {
    const seconds = since(run.seconds_since_alive);
    if (seconds === null) return run.phase === 'not started' || run.phase === 'played out' || run.phase === 'closed early' ? '' : 'none';
    return Math.floor(seconds) + ' s ago';
  }

  // The rows stay the same elements from one state to the next (a ticked box, the mouse over a
  // row); only what changed is written.
  const rowsById = new Map();
  const cellClasses = ['', '', '', '', 'stage', 'number', 'number', 'number', 'number', 'warnings'];

  function makeRow(run) {
    const tr = document.createElement('tr');
    const select = cell('td', null, 'select');
    let box = null;
    if (run.results_file !== '') {
      box = document.createElement('input');
      box.type = 'checkbox';
      box.addEventListener('change', () => {
        if (box.checked) selected.add(run.id); else selected.delete(run.id);
        tr.classList.toggle('selected', box.checked);
        drawButtons();
      });
      select.appendChild(box);
    }
    tr.appendChild(select);
    const cells = cellClasses.map((className) => tr.appendChild(cell('td', null, className)));
    return { tr: tr, box: box, cells: cells };
  }

  function setText(element, text) {
    if (element.textContent !== text) element.textContent = text;
  }

  function drawRuns() {
    const body = $('runs').tBodies[0];
    const ids = new Set();
    let previous = null;
    for (const run of state.runs) {
      ids.add(run.id);
      let row = rowsById.get(run.id);
      if (!row || (row.box === null) !== (run.results_file === '')) {
        if (row) row.tr.remove();
        row = makeRow(run);
        rowsById.set(run.id, row);
      }
      const place = previous ? previous.nextSibling : body.firstChild;
      if (place !== row.tr) body.insertBefore(row.tr, place);
      previous = row.tr;
      const className = rowClass(run) + (selected.has(run.id) ? ' selected' : '');
      if (row.tr.className !== className) row.tr.className = className;
      if (row.box) {
        row.box.checked = selected.has(run.id);
        row.box.title = 'Select ' + (run.pc || run.results_file);
      }
      const ended = run.phase === 'played out' || run.phase === 'closed early' || run.phase === 'broke off';
      const texts = [
        run.pc || '(PC not known)',
        run.input_data_file + (run.folder ? ' · ' + run.folder : ''),
        run.language,
        run.treatment,
        stageText(run),
        clock(since(run.seconds_on_problem)),
        clock(ended ? run.seconds_since_start : since(run.seconds_since_start)),
        run.decision_median_ms === null ? '' : (run.decision_median_ms / 1000).toFixed(1) + ' s',
        aliveText(run),
        run.warnings.join('; '),
      ];
      texts.forEach((text, i) => setText(row.cells[i], text));
      row.cells[4].classList.toggle('release-sent', run.release_sent);
    }
    for (const [id, row] of rowsById) {
      if (!ids.has(id)) {
        row.tr.remove();
        rowsById.delete(id);
      }
    }
    for (const id of Array.from(selected)) if (!ids.has(id)) selected.delete(id);
  }

  // Every PC on the screen: the rows get smaller as there are more, down to a size still easy
  // to read (60 rows on a screen of 1080 lines), and back when the window grows.
  function fitRows() {
    const table = $('runs');
    const rows = table.tBodies[0].rows.length;
    if (rows === 0 || $('runs-view').hidden) return;
    const top = table.tBodies[0].getBoundingClientRect().top + window.scrollY;
    const room = window.innerHeight - top - $('folders').offsetHeight - 12;
    const size = Math.max(10.5, Math.min(13, (room / rows - 1) / 1.2));
    table.style.fontSize = size.toFixed(1) + 'px';
  }

  function drawSummary() {
    const parts = state.summary.phases.map((p) => p.count + ' ' + p.phase);
    let text = state.summary.pcs + (state.summary.pcs === 1 ? ' PC' : ' PCs') + (parts.length ? ': ' + parts.join(' · ') : '');
    if (state.summary.seconds_left !== null) {
      const left = Math.max(0, state.summary.seconds_left - (Date.now() - receivedAt) / 1000);
      const end = new Date(Date.now() + left * 1000);
      text += ' — the last one should answer its last problem in about ' + Math.ceil(left / 60) +
        ' min (at ' + end.toLocaleTimeString([], { hour: '2-digit', minute: '2-digit' }) + ')';
    }
    $('summary').textContent = text;
    $('folders').textContent = 'Watching ' + state.folders.map((f) => f.path).join(', ') +
      (state.payments.count > 0 ? ' · payment list: ' + state.payments.file : '');
  }

  function waiting(hold) {
    return state ? state.runs.filter((r) => r.waiting_at === hold) : [];
  }

  function drawButtons() {
    for (const hold of [1, 2]) {
      const all = waiting(hold);
      const chosen = all.filter((r) => selected.has(r.id));
      $('release-all-' + hold).disabled = all.length === 0;
      $('release-all-' + hold).textContent = 'Release all waiting at hold point ' + hold + ' (' + all.length + ')';
      $('release-selected-' + hold).disabled = chosen.length === 0;
      $('release-selected-' + hold).textContent = 'Release selected at hold point ' + hold + ' (' + chosen.length + ')';
    }
  }

  function drawPlan() {
    const plan = state.plan;
    $('plan-note').textContent = plan.present
      ? plan.rows.length + ' PCs in the plan (session.csv in every data folder)'
      : 'There is no plan: the PCs start with the parameter screen as it is.';
    $('plan').tBodies[0].replaceChildren(...plan.rows.map((row) => {
      const tr = cell('tr');
      for (const value of [row.pc, row.input_data_file, row.language, row.treatment]) tr.appendChild(cell('td', value));
      tr.appendChild(cell('td', row.time_to_wait, 'number'));
      tr.appendChild(cell('td', row.reading_time, 'number'));
      return tr;
    }));
    $('plan-problems').replaceChildren(...plan.problems.map((p) => cell('li', p)));
  }

  function draw() {
    if (!state) return;
    drawSummary();
    drawRuns();
    drawButtons();
    drawPlan();
    fitRows();
    if (state.payments.count !== paymentsCount) {
      paymentsCount = state.payments.count;
      loadPayments();
    }
  }

  async function loadPayments() {
    const response = await fetch(withToken('/api/payments'), { headers: { 'X-Tovask-Token': token } });
    if (!response.ok) return;
    const list = await response.json();
    $('payments').tBodies[0].replaceChildren(...list.payments.map((p) => {
      const tr = cell('tr');
      for (const value of [p.pc, p.input_data_file, p.results_file]) tr.appendChild(cell('td', value));
      tr.appendChild(cell('td', p.task, 'number'));
      tr.appendChild(cell('td', p.side_one_groups));
      tr.appendChild(cell('td', p.units_one, 'number'));
      tr.appendChild(cell('td', p.money_one, 'number'));
      tr.appendChild(cell('td', p.side_two_groups));
      tr.appendChild(cell('td', p.units_two, 'number'));
      tr.appendChild(cell('td', p.money_two, 'number'));
      return tr;
    }));
    $('groups').tBodies[0].replaceChildren(...list.by_group.map((g) => {
      const tr = cell('tr');
      tr.appendChild(cell('td', g.group));
      tr.appendChild(cell('td', g.money, 'number'));
      return tr;
    }));
    $('payments-note').textContent = list.payments.length + ' runs played out · written to ' + list.file;
    $('payments-problems').replaceChildren(...list.problems.map((p) => cell('li', p)));
  }

  async function release(hold, runs) {
    const label = runs === 'all' ? 'every run waiting at hold point ' + hold : runs.length + ' selected runs';
    if (!window.confirm('Release ' + label + '?')) return;
    $('release-result').textContent = 'sending…';
    try {
      const answer = await send('/api/release', { hold: hold, runs: runs });
      if (!answer.ok) {
        $('release-result').textContent = (answer.json.errors || []).join('; ');
        return;
      }
      const names = (ids) => ids.map((id) => {
        const run = state.runs.find((r) => r.id === id);
        return run && run.pc ? run.pc : id;
      });
      let text = 'Release sent to ' + (answer.json.released.length ? names(answer.json.released).join(', ') : 'no run');
      if (answer.json.not_released.length) {
        text += '; not released: ' + answer.json.not_released.map((n) => names([n.run])[0] + ' (' + n.why + ')').join(', ');
      }
      $('release-result').textContent = text;
      for (const id of answer.json.released) selected.delete(id);
    } catch (e) {
      $('release-result').textContent = 'The console did not answer: ' + e.message;
    }
  }

  function lines(id) {
    return $(id).value.split(/\r?\n/).map((l) => l.trim()).filter((l) => l !== '');
  }

  async function writePlan(event) {
    event.preventDefault();
    const pcs = lines('plan-pcs');
    const files = lines('plan-files');
    const result = $('plan-result');
    if (pcs.length !== files.length) {
      result.replaceChildren(cell('li', pcs.length + ' PCs but ' + files.length + ' input data files: give one file per PC'));
      return;
    }
    if (state && state.plan.present && !window.confirm('Replace the plan of ' + state.plan.rows.length + ' PCs?')) return;
    const rows = pcs.map((pc, i) => ({
      pc: pc,
      input_data_file: files[i],
      language: $('plan-language').value,
      treatment: $('plan-treatment').value.trim(),
      time_to_wait: $('plan-wait').value.trim(),
      reading_time: $('plan-reading').value.trim(),
    }));
    const answer = await send('/api/plan', { rows: rows });
    result.replaceChildren(...(answer.ok
      ? [cell('li', 'The plan of ' + rows.length + ' PCs is written.', 'written')]
      : answer.json.errors.map((e) => cell('li', e))));
  }

  function show(view) {
    for (const button of document.querySelectorAll('nav button')) {
      button.classList.toggle('current', button.dataset.view === view);
    }
    for (const name of ['runs', 'payments', 'plan']) $(name + '-view').hidden = name !== view;
  }

  function connect() {
    const events = new EventSource(withToken('/api/events'));
    events.onopen = () => {
      $('connection').textContent = 'live';
      $('connection').classList.remove('lost');
    };
    events.onmessage = (event) => {
      state = JSON.parse(event.data);
      receivedAt = Date.now();
      draw();
    };
    events.onerror = () => {
      $('connection').textContent = 'the console does not answer: is it still running? Trying again…';
      $('connection').classList.add('lost');
    };
  }

  // Times count on between the console's messages; a console whose folders have not been read
  // for a while is said to be so.
  function tick() {
    if (!state) return;
    const age = (Date.now() - state.polled_at) / 1000;
    if (age > 5 && !$('connection').classList.contains('lost')) {
      $('connection').textContent = 'the folders were last read ' + Math.floor(age) + ' s ago: is the share there?';
    } else if (!$('connection').classList.contains('lost')) {
      $('connection').textContent = 'live';
    }
    drawSummary();
    drawRuns();
  }

  document.addEventListener('DOMContentLoaded', () => {
    for (const button of document.querySelectorAll('nav button')) {
      button.addEventListener('click', () => {
        show(button.dataset.view);
        fitRows();
      });
    }
    for (const hold of [1, 2]) {
      $('release-all-' + hold).addEventListener('click', () => release(hold, 'all'));
      $('release-selected-' + hold).addEventListener('click', () =>
        release(hold, waiting(hold).filter((r) => selected.has(r.id)).map((r) => r.id)));
    }
    $('select-all').addEventListener('change', (event) => {
      selected.clear();
      if (event.target.checked && state) for (const run of state.runs) if (run.results_file !== '') selected.add(run.id);
      drawRuns();
      drawButtons();
    });
    $('print-payments').addEventListener('click', () => window.print());
    $('payments-csv').href = withToken('/payments.csv');
    $('payments-by-group-csv').href = withToken('/payments-by-group.csv');
    $('plan-form').addEventListener('submit', writePlan);
    window.addEventListener('resize', fitRows);
    connect();
    window.setInterval(tick, 1000);
  });
})();
