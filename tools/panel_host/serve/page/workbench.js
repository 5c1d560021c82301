'use strict';
// The workbench page. It draws the host as panel_host publishes it (Server-Sent Events: "lines" for the
// transcript's new lines, "state" for each new drawing, "clear" when the transcript starts over) and posts
// every click as one action (POST /action), which panel_host plays as a scenario step. The drawing
// (host_state.cpp, workbench.cpp):
//   {version, session, build, watching, buildProblem, compare, started, running, failures, errors,
//    panels: [{id, title, file, shown, controls: [{id, kind, enabled, params: [{name, value}], columns,
//              rows, selected, picked}]}],
//    devices: {instances: [{name, device, known}], infodrivers: [{device, slots: [{slot, text, silent,
//              registered, feeds: {control, row}}]}], databases: [{device, database, names: [{index, name}]}]},
//    clock: {now, timers: [{id, due}]}, request: {answered, answer}}
// Markup for tests and scripts: each control carries data-control and data-enabled; list rows data-row
// (from 1), cells data-cell="row.cell" (cells from 0, as the scenario language counts them); what the
// script set with TP data-param inside [data-params="<control>"]; transcript lines data-kind; on body
// data-busy="false" once every action posted and its outcome are drawn, data-connected, data-build; the
// comparison after a rebuild is #compare with data-compare="none|same|different|stopped"; a build that
// did not load or whose process was lost is #failure with data-build-problem or data-build-failure.
// Every text the script or a device wrote is shown through shown(): control characters and direction
// overrides appear escaped, so a line can never reorder or hide what is drawn around it.

let pending = 0;  // actions posted and not answered
let wanted = 0;   // the drawing that shows the last answered action
let drawn = -1;   // the drawing on the page
let session = null;
let posting = Promise.resolve();  // actions go one after the other, in the order they were made
let panelsShape = '';
let devicesShape = '';
let names = [];   // every name the site's databases know, for the pickers

const $ = (id) => document.getElementById(id);

// Control characters, direction marks, overrides and isolates, as \u escapes.
const kHidden = /[\u0000-\u001f\u007f-\u009f\u061c\u200b-\u200f\u2028-\u202e\u2060-\u2069\ufeff]/g;
function shown(text) {
  return String(text).replace(kHidden, (c) => '\\u' + c.charCodeAt(0).toString(16).toUpperCase().padStart(4, '0'));
}

function el(tag, attributes, ...children) {
  const element = document.createElement(tag);
  for (const [name, value] of Object.entries(attributes || {})) {
    element.setAttribute(name, String(value));
  }
  element.append(...children);
  return element;
}

function setText(element, text) {
  if (element.textContent !== text) element.textContent = text;
}

function updateBusy() {
  document.body.dataset.busy = String(pending > 0 || drawn < wanted);
  setText($('pending'), pending > 1 ? pending + ' clicks waiting' : pending === 1 ? '1 click waiting' : '');
}

function showProblem(text) {
  $('problem').textContent = shown(text).replace(/\\u000A/g, '\n');
  $('problem').hidden = text === '';
  fitTranscript();
}

function showNotice(text) {
  $('notice').textContent = text;
  $('notice').hidden = text === '';
  fitTranscript();
}

// The transcript ends at the window's bottom whatever the banners above it take, so its newest line
// stays in view.
function fitTranscript() {
  const list = $('transcript');
  const atBottom = list.scrollTop + list.clientHeight >= list.scrollHeight - 4;
  const top = list.getBoundingClientRect().top + window.scrollY;
  list.style.maxHeight = Math.max(240, window.innerHeight - top - 24) + 'px';
  if (atBottom) list.scrollTop = list.scrollHeight;
}
window.addEventListener('resize', fitTranscript);

async function send(path, body) {
  try {
    const response = await fetch(path, {
      method: 'POST',
      headers: {'Content-Type': 'application/json'},
      body: JSON.stringify(body),
    });
    const text = await response.text();
    if (response.ok) {
      const answer = JSON.parse(text);
      if (answer.version !== undefined) wanted = Math.max(wanted, answer.version);
      showProblem('');
    } else {
      showProblem(text);
    }
  } catch (error) {
    showProblem('panel_host does not answer: ' + error);
  } finally {
    pending--;
    updateBusy();
  }
}

// A burst of clicks is played as it was made: each post waits for the one before.
function post(path, body) {
  pending++;
  updateBusy();
  posting = posting.then(() => send(path, body));
}

function act(action) {
  post('/action', action);
}

function enabledNow(box) {
  return box.dataset.enabled === 'true';
}

// ---- The panels -------------------------------------------------------------------------------------

// The slot feeding each row of each list: {list id: {row: {device, slot, text}}}.
function storedRows(devices) {
  const out = {};
  for (const driver of devices.infodrivers) {
    for (const slot of driver.slots) {
      if (!slot.feeds) continue;
      out[slot.feeds.control] = out[slot.feeds.control] || {};
      out[slot.feeds.control][slot.feeds.row] = {device: driver.device, slot: slot.slot, text: slot.text};
    }
  }
  return out;
}

function paramsBox(control) {
  return el('span', {class: 'params', 'data-params': control.id});
}

function buildList(control, stored) {
  const box = el('div', {'data-control': control.id, 'data-enabled': control.enabled, class: 'list'});
  const head = el('tr', {}, el('th', {}, 'row'), ...control.columns.map((title) => el('th', {}, title)),
    ...(stored ? [el('th', {title: 'the information driver slot feeding the row, and its text'}, 'stored')] : []));
  const body = el('tbody');
  control.rows.forEach((cells, index) => {
    const row = index + 1;
    const line = el('tr', {'data-row': row}, el('td', {}, String(row)),
      ...cells.map((text, cell) => el('td', {'data-cell': row + '.' + cell}, shown(text))),
      ...(stored ? [el('td', {class: 'stored', 'data-stored': row})] : []));
    line.addEventListener('click', () => {
      if (enabledNow(box)) act({action: 'select', control: control.id, row});
    });
    body.append(line);
  });
  box.append(el('h3', {}, control.id + ' ', paramsBox(control)), el('table', {}, el('thead', {}, head), body));
  return box;
}

function buildPicker(control) {
  const box = el('label', {'data-control': control.id, 'data-enabled': control.enabled}, control.id + ' ');
  const input = el('input', {type: 'number', 'aria-label': control.id});
  // A number typed counts when Enter is pressed, the field is left (as by clicking a button, whose press
  // then follows the pick) or typing pauses; a number the panel already shows is not picked again.
  const commit = () => {
    if (input.value === '' || input.value === input.dataset.sent || !enabledNow(box)) return;
    input.dataset.sent = input.value;
    act({action: 'pick', control: control.id, number: input.value});
  };
  let typing = null;
  input.addEventListener('keydown', (event) => {
    if (event.key === 'Enter') commit();
  });
  input.addEventListener('change', commit);
  // A number typed and left alone for a moment counts too, so the buttons it enables are ready.
  input.addEventListener('input', () => {
    clearTimeout(typing);
    typing = setTimeout(commit, 600);
  });
  box.append(input);
  if (names.length) {
    // The names the site knows, beside the number: choosing one picks its number.
    const choice = el('select', {'data-names': control.id, 'aria-label': control.id + ' by name'},
      el('option', {value: ''}, '(by name)'),
      ...names.map((entry) => el('option', {value: entry.index}, entry.index + ': ' + shown(entry.name))));
    choice.addEventListener('change', () => {
      if (choice.value !== '' && enabledNow(box)) {
        input.value = choice.value;
        commit();
      }
      choice.value = '';
    });
    box.append(' ', choice);
  }
  box.append(paramsBox(control));
  return box;
}

function buildButton(control) {
  const button = el('button', {type: 'button', 'data-control': control.id, 'data-enabled': control.enabled},
    control.id);
  button.addEventListener('click', () => {
    if (enabledNow(button)) act({action: 'press', control: control.id});
  });
  return el('span', {}, button, paramsBox(control));
}

function buildPanels(panels, stored) {
  const boxes = panels.map((panel) => {
    const box = el('div', {class: 'panel', 'data-panel': panel.id},
      el('h2', {}, 'Panel ' + panel.id + (panel.title ? ': ' + panel.title : '')));
    const inline = el('div', {class: 'controls'});
    for (const control of panel.controls) {
      if (control.kind === 'list') box.append(buildList(control, stored[control.id]));
      else inline.append(control.kind === 'picker' ? buildPicker(control) : buildButton(control));
    }
    box.append(inline);
    return box;
  });
  $('panels').replaceChildren(...(boxes.length ? boxes : [el('p', {}, 'No panel is loaded.')]));
}

function drawParams(panelId, control) {
  const box = document.querySelector(`[data-panel="${CSS.escape(panelId)}"] [data-params="${CSS.escape(control.id)}"]`);
  const text = (control.params || []).map((p) => p.name + '=' + p.value).join(' ');
  if (box.dataset.drawn === text) return;
  box.dataset.drawn = text;
  box.replaceChildren(...(control.params || []).map((p) =>
    el('span', {'data-param': p.name}, shown(p.name + '=' + p.value))));
}

function drawControl(panelId, control, stored) {
  const box = document.querySelector(`[data-panel="${CSS.escape(panelId)}"] [data-control="${CSS.escape(control.id)}"]`);
  box.dataset.enabled = String(control.enabled);
  drawParams(panelId, control);
  if (control.kind === 'button') {
    box.disabled = !control.enabled;
  } else if (control.kind === 'picker') {
    const input = box.querySelector('input');
    input.disabled = !control.enabled;
    if (document.activeElement !== input) {
      input.value = control.picked >= 0 ? String(control.picked) : '';
      input.dataset.sent = input.value;
    }
  } else {
    control.rows.forEach((cells, index) => {
      const row = index + 1;
      const line = box.querySelector(`[data-row="${row}"]`);
      line.classList.toggle('selected', control.selected === row);
      line.setAttribute('aria-selected', String(control.selected === row));
      // A row the script marks as edited ("*") is marked as a whole.
      line.classList.toggle('changed', cells.includes('*'));
      cells.forEach((text, cell) => setText(line.children[cell + 1], shown(text)));
      const storedCell = line.querySelector('[data-stored]');
      if (storedCell) {
        const slot = stored && stored[row];
        setText(storedCell, slot ? shown(slot.text) + ' (slot ' + slot.slot + ')' : '');
      }
    });
  }
}

function drawPanels(panels, devices) {
  const stored = storedRows(devices);
  const shape = JSON.stringify([panels.map((panel) => [panel.id, panel.title,
    panel.controls.map((c) => [c.id, c.kind, c.columns, c.rows ? c.rows.length : 0, !!stored[c.id]])]), names.length]);
  if (shape !== panelsShape) {
    buildPanels(panels, stored);
    panelsShape = shape;
  }
  for (const panel of panels) {
    for (const control of panel.controls) drawControl(panel.id, control, stored[control.id]);
  }
}

// ---- The devices ------------------------------------------------------------------------------------

function switchBox(label, action) {
  const box = el('input', {type: 'checkbox', 'aria-label': label});
  box.addEventListener('change', () => {
    if (box.checked) act(action);
  });
  return box;
}

function buildDevices(devices) {
  const instances = el('table', {}, el('tr', {}, el('th', {}, 'instance'), el('th', {}, 'device'),
    el('th', {}, 'unknown')));
  for (const instance of devices.instances) {
    instances.append(el('tr', {'data-instance': instance.name}, el('td', {}, instance.name),
      el('td', {}, String(instance.device)),
      el('td', {}, switchBox('unknown ' + instance.name, {action: 'unknown', instance: instance.name}))));
  }
  $('instances').replaceChildren(el('h3', {}, 'Instances'), instances);

  const drivers = devices.infodrivers.map((driver) => {
    const table = el('table', {class: 'slots', 'data-device': driver.device},
      el('tr', {}, el('th', {}, 'slot'), el('th', {}, 'text'), el('th', {}, 'silent'), el('th', {}, 'registered'),
        el('th', {}, 'feeds')));
    for (const slot of driver.slots) {
      const text = el('input', {type: 'text', 'aria-label': 'slot ' + slot.slot});
      text.addEventListener('keydown', (event) => {
        // A silent slot delivers nothing, so Enter there sends nothing either.
        if (event.key === 'Enter' && !text.disabled) {
          act({action: 'revertive', device: driver.device, slot: slot.slot, text: text.value});
          text.blur();
        }
      });
      table.append(el('tr', {'data-slot': slot.slot}, el('td', {}, String(slot.slot)), el('td', {}, text),
        el('td', {}, switchBox('silent ' + slot.slot, {action: 'silent', device: driver.device, slot: slot.slot})),
        el('td', {class: 'registered'}), el('td', {class: 'feeds'})));
    }
    return el('div', {}, el('h3', {}, 'Information driver ' + driver.device + ' (Enter sends the revertive)'), table);
  });
  $('infodrivers').replaceChildren(...drivers);

  const databases = devices.databases.map((database) => el('div', {},
    el('h3', {}, 'Names of device ' + database.device + ', database ' + database.database),
    el('ul', {}, ...database.names.map((entry) => el('li', {}, entry.index + ': ' + shown(entry.name))))));
  $('databases').replaceChildren(...databases);
}

function drawDevices(devices) {
  const shape = JSON.stringify([devices.instances.map((i) => i.name),
    devices.infodrivers.map((d) => [d.device, d.slots.map((s) => s.slot)]), devices.databases]);
  if (shape !== devicesShape) {
    buildDevices(devices);
    devicesShape = shape;
  }
  for (const instance of devices.instances) {
    const box = document.querySelector(`[data-instance="${CSS.escape(instance.name)}"] input`);
    box.checked = !instance.known;
    box.disabled = !instance.known; // the host cannot learn a name again
  }
  for (const driver of devices.infodrivers) {
    for (const slot of driver.slots) {
      const line = document.querySelector(`[data-device="${driver.device}"] [data-slot="${slot.slot}"]`);
      const [text, silent] = line.querySelectorAll('input');
      text.disabled = slot.silent;
      text.placeholder = slot.silent ? 'silent' : '';
      text.title = slot.silent ? 'a silent slot delivers nothing' : '';
      if (slot.silent) text.value = '';
      else if (document.activeElement !== text) text.value = slot.text;
      silent.checked = slot.silent;
      silent.disabled = slot.silent; // a silent slot stays silent
      setText(line.querySelector('.registered'), slot.registered ? 'yes' : '');
      setText(line.querySelector('.feeds'), slot.feeds ? slot.feeds.control + ' row ' + slot.feeds.row : '');
    }
  }
}

// ---- Build, comparison, clock, request, run ---------------------------------------------------------

// One side of a differing step, its lines that differ from the other side's marked.
function sideLines(lines, other, attribute) {
  return el('pre', {[attribute]: ''}, ...lines.map((line, at) =>
    el('span', {class: line === other[at] ? 'line' : 'line differs', 'data-differs': String(line !== other[at])},
      shown(line) + '\n')));
}

function drawFailure(state) {
  const box = $('failure');
  const shownNow = JSON.stringify([state.buildProblem, state.failure, state.goodBuild, state.runningBuild]);
  if (box.dataset.drawn === shownNow) return;
  box.dataset.drawn = shownNow;
  const parts = [];
  if (state.buildProblem) {
    parts.push(el('p', {'data-build-problem': ''}, 'Not loaded: ' + shown(state.buildProblem) +
      '. The session stays on build ' + state.runningBuild + '.'));
  }
  if (state.failure) {
    const again = state.goodBuild === state.runningBuild ? 'Start build ' + state.goodBuild + ' again'
      : 'Take back build ' + state.goodBuild;
    const button = el('button', {type: 'button', id: 'take-back'}, again + ' with the session');
    button.addEventListener('click', () => post('/takeback', {}));
    parts.push(el('p', {'data-build-failure': ''}, shown(state.failure) + ' ', button));
  }
  box.replaceChildren(...parts);
  box.hidden = parts.length === 0;
  fitTranscript();
}

// The session an earlier run of panel_host left, offered until the operator takes it up or works on.
let earlierOffered = false;
function drawEarlier(state) {
  if (earlierOffered || !state.earlierSession) return;
  earlierOffered = true;
  const button = el('button', {type: 'button', id: 'resume'}, 'Take it up');
  button.addEventListener('click', () => {
    post('/resume', {});
    showNotice('');
  });
  $('notice').append(' An earlier run left a session (' + shown(state.earlierSession) + '). ', button);
  $('notice').hidden = false;
  fitTranscript();
}

function drawCompare(state) {
  document.body.dataset.build = String(state.build);
  setText($('build'), state.watching ? 'build ' + state.runningBuild +
    (state.runningBuild !== state.build ? ' (taken back; newest ' + state.build + ')' : '') +
    (state.buildProblem ? ' (the newest file did not load)' : '') : '');
  $('build').classList.toggle('problem', state.buildProblem !== '' || state.failure !== '');
  drawFailure(state);
  const box = $('compare');
  const compare = state.compare;
  const shownNow = JSON.stringify(compare);
  if (box.dataset.drawn === shownNow) return;
  box.dataset.drawn = shownNow;
  const parts = [];
  if (compare && compare.same === true) {
    box.dataset.compare = 'same';
    parts.push(el('p', {}, `Build ${state.build} is the same through all ${compare.steps} steps.`));
  } else if (compare && compare.same === false) {
    box.dataset.compare = compare.stopped ? 'stopped' : 'different';
    const summary = `Build ${state.build} replayed ${compare.replayed} of ${compare.of} steps` +
      (compare.stopped ? '; the replay stopped: ' + shown(compare.stopped) : '') +
      (compare.differing ? `; ${compare.differing} differ from the build before` : '; none differ so far') + '.';
    parts.push(el('p', {'data-compare-summary': ''}, summary));
    compare.differences.forEach((difference, index) => {
      const first = index === 0;
      parts.push(el('div', {class: 'difference'},
        el('p', {}, `Step ${difference.index}: `, el('code', first ? {'data-compare-step': ''} : {}, shown(difference.step))),
        el('div', {class: 'side'},
          el('div', {}, el('h3', {}, 'before'), sideLines(difference.oldLines, difference.newLines,
            first ? 'data-compare-old' : 'data-old')),
          el('div', {}, el('h3', {}, 'after'), sideLines(difference.newLines, difference.oldLines,
            first ? 'data-compare-new' : 'data-new')))));
    });
    if (compare.differing > compare.differences.length) {
      parts.push(el('p', {}, `and ${compare.differing - compare.differences.length} more steps differ`));
    }
  } else {
    box.dataset.compare = 'none';
  }
  box.replaceChildren(...parts);
  box.hidden = parts.length === 0;
  fitTranscript();
}

function draw(state) {
  drawCompare(state);
  drawEarlier(state);
  if (!state.panels) return;  // a build whose process was lost before it drew anything
  names = state.devices.databases.flatMap((database) => database.names);
  drawPanels(state.panels, state.devices);
  drawDevices(state.devices);
  setText($('clock-now'), String(state.clock.now));
  $('timers').replaceChildren(...state.clock.timers.map((timer) =>
    el('li', {'data-timer': timer.id}, 'timer ' + timer.id + ': next tick at ' + timer.due)));
  $('advance-next').disabled = state.clock.timers.length === 0;
  $('stop').disabled = !state.running;
  const request = state.request;
  setText($('request-answer'), !request.answered ? '' : request.answer === null ? '(no answer)' : shown(request.answer));
  const stopped = state.failure !== '' || (state.started && !state.running);
  setText($('run-state'), (state.failure ? 'the build\'s process is gone' : state.running ? 'script running'
    : stopped ? 'the script has stopped' : 'not started') +
    ' · ' + state.failures + ' failed expectations, ' + state.errors + ' contract errors');
  $('run-state').classList.toggle('stopped', stopped);
  $('run-state').classList.toggle('bad', state.failures + state.errors > 0);
}

// Lines are drawn in batches, at the next drawing or animation frame, so a step's many lines cost the
// browser one layout, not one each. The page keeps the newest kMaxLines, as the server does: every line
// more would make each later click slower to draw, and the terminal has them all.
const kMaxLines = 1000;
let linesToDraw = [];
let linesDropped = 0;

function drawLines() {
  if (linesToDraw.length === 0) return;
  const list = $('transcript');
  const atBottom = list.scrollTop + list.clientHeight >= list.scrollHeight - 4;
  const batch = document.createDocumentFragment();
  for (const line of linesToDraw.slice(-kMaxLines)) batch.append(el('li', {'data-kind': line.kind}, shown(line.text)));
  linesDropped += Math.max(0, linesToDraw.length - kMaxLines);
  linesToDraw = [];
  list.append(batch);
  while (list.children.length > kMaxLines) {
    list.firstElementChild.remove();
    linesDropped++;
  }
  $('lines-dropped').hidden = linesDropped === 0;
  setText($('lines-dropped'), linesDropped + ' earlier lines are only in the terminal\'s transcript');
  if (atBottom) list.scrollTop = list.scrollHeight;
}

function queueLine(line) {
  linesToDraw.push(line);
  if (linesToDraw.length === 1) requestAnimationFrame(drawLines);
}

function clearLines() {
  linesToDraw = [];
  linesDropped = 0;
  $('transcript').replaceChildren();
  $('lines-dropped').hidden = true;
}

$('advance-next').addEventListener('click', () => act({action: 'advance', units: 'next'}));
$('advance-by').addEventListener('submit', (event) => {
  event.preventDefault();
  act({action: 'advance', units: $('advance-units').value});
});
$('request').addEventListener('submit', (event) => {
  event.preventDefault();
  act({action: 'request', text: $('request-text').value});
});
$('stop').addEventListener('click', () => act({action: 'stop'}));
$('new-session').addEventListener('click', () => post('/session', {}));
$('clear').addEventListener('click', () => post('/clear', {}));

// ---- The connection ---------------------------------------------------------------------------------

function connected(yes) {
  document.body.dataset.connected = String(yes);
  setText($('connection'), yes ? '' : 'panel_host is not answering; trying again');
}

function listen() {
  const events = new EventSource('/events');
  // The server sends the newest lines it keeps on every connection.
  events.addEventListener('open', () => {
    connected(true);
    clearLines();
  });
  events.addEventListener('lines', (event) => {
    for (const line of JSON.parse(event.data)) queueLine(line);
  });
  events.addEventListener('clear', clearLines);
  events.addEventListener('state', (event) => {
    const state = JSON.parse(event.data);
    if (session !== null && state.session !== session) {
      // Another run of panel_host on the same address: what the old one knew is gone.
      showNotice('panel_host was started again: this is a new session. The steps of the old one are only ' +
        'in what was saved with "Save as scenario".');
      showProblem('');
      wanted = 0;
    }
    session = state.session;
    drawLines();
    draw(state);
    drawn = state.version;
    updateBusy();
  });
  events.addEventListener('error', () => {
    connected(false);
    // The browser tries again by itself unless it gave up; then the page does, a second later.
    if (events.readyState === EventSource.CLOSED) setTimeout(listen, 1000);
  });
}

listen();
