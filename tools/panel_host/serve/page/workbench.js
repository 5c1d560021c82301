'use strict';
// The workbench page. It draws the host as panel_host publishes it (Server-Sent Events: "line" for each
// transcript line, "state" for each new drawing) and posts every click as one action (POST /action),
// which panel_host plays as a scenario step. The drawing (host_state.cpp):
//   {version, started, running, failures, errors,
//    panels: [{id, title, file, shown, controls: [{id, kind, enabled, columns, rows, selected, picked}]}],
//    devices: {instances: [{name, device, known}], infodrivers: [{device, slots: [{slot, text, silent,
//              registered}]}], databases: [{device, database, names: [{index, name}]}]},
//    clock: {now, timers: [{id, due}]}, request: {answered, answer}}
// Markup for tests and scripts: each control carries data-control and data-enabled; list rows data-row
// (from 1), cells data-cell="row.cell" (cells from 0, as the scenario language counts them); transcript
// lines data-kind; body data-busy="false" once every action posted and its outcome are drawn.

let pending = 0; // actions posted and not answered
let wanted = 0;  // the drawing that shows the last answered action
let drawn = -1;  // the drawing on the page
let panelsShape = '';
let devicesShape = '';

const $ = (id) => document.getElementById(id);

function el(tag, attributes, ...children) {
  const element = document.createElement(tag);
  for (const [name, value] of Object.entries(attributes || {})) {
    element.setAttribute(name, String(value));
  }
  element.append(...children);
  return element;
}

function updateBusy() {
  document.body.dataset.busy = String(pending > 0 || drawn < wanted);
}

function showProblem(text) {
  $('problem').textContent = text;
  $('problem').hidden = text === '';
}

async function act(action) {
  pending++;
  updateBusy();
  try {
    const response = await fetch('/action', {
      method: 'POST',
      headers: {'Content-Type': 'application/json'},
      body: JSON.stringify(action),
    });
    const text = await response.text();
    if (response.ok) {
      wanted = Math.max(wanted, JSON.parse(text).version);
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

function enabledNow(box) {
  return box.dataset.enabled === 'true';
}

// ---- The panels -------------------------------------------------------------------------------------

function buildList(control) {
  const box = el('div', {'data-control': control.id, 'data-enabled': control.enabled, class: 'list'});
  const head = el('tr', {}, el('th', {}, 'row'), ...control.columns.map((title) => el('th', {}, title)));
  const body = el('tbody');
  control.rows.forEach((cells, index) => {
    const row = index + 1;
    const line = el('tr', {'data-row': row}, el('td', {}, String(row)),
      ...cells.map((text, cell) => el('td', {'data-cell': row + '.' + cell}, text)));
    line.addEventListener('click', () => {
      if (enabledNow(box)) act({action: 'select', control: control.id, row});
    });
    body.append(line);
  });
  box.append(el('h3', {}, control.id), el('table', {}, el('thead', {}, head), body));
  return box;
}

function buildPicker(control) {
  const box = el('label', {'data-control': control.id, 'data-enabled': control.enabled}, control.id + ' ');
  const input = el('input', {type: 'number', 'aria-label': control.id});
  input.addEventListener('keydown', (event) => {
    if (event.key === 'Enter' && enabledNow(box)) act({action: 'pick', control: control.id, number: input.value});
  });
  box.append(input);
  return box;
}

function buildButton(control) {
  const button = el('button', {type: 'button', 'data-control': control.id, 'data-enabled': control.enabled},
    control.id);
  button.addEventListener('click', () => {
    if (enabledNow(button)) act({action: 'press', control: control.id});
  });
  return button;
}

function buildPanels(panels) {
  const boxes = panels.map((panel) => {
    const box = el('div', {class: 'panel', 'data-panel': panel.id},
      el('h2', {}, 'Panel ' + panel.id + (panel.title ? ': ' + panel.title : '')));
    const inline = el('div', {class: 'controls'});
    for (const control of panel.controls) {
      if (control.kind === 'list') box.append(buildList(control));
      else inline.append(control.kind === 'picker' ? buildPicker(control) : buildButton(control));
    }
    box.append(inline);
    return box;
  });
  $('panels').replaceChildren(...(boxes.length ? boxes : [el('p', {}, 'No panel is loaded.')]));
}

function setText(element, text) {
  if (element.textContent !== text) element.textContent = text;
}

function drawControl(panelId, control) {
  const box = document.querySelector(`[data-panel="${CSS.escape(panelId)}"] [data-control="${CSS.escape(control.id)}"]`);
  box.dataset.enabled = String(control.enabled);
  if (control.kind === 'button') {
    box.disabled = !control.enabled;
  } else if (control.kind === 'picker') {
    const input = box.querySelector('input');
    input.disabled = !control.enabled;
    if (document.activeElement !== input) input.value = control.picked >= 0 ? String(control.picked) : '';
  } else {
    control.rows.forEach((cells, index) => {
      const line = box.querySelector(`[data-row="${index + 1}"]`);
      line.classList.toggle('selected', control.selected === index + 1);
      line.setAttribute('aria-selected', String(control.selected === index + 1));
      cells.forEach((text, cell) => setText(line.children[cell + 1], text));
    });
  }
}

function drawPanels(panels) {
  const shape = JSON.stringify(panels.map((panel) => [panel.id, panel.title,
    panel.controls.map((c) => [c.id, c.kind, c.columns, c.rows ? c.rows.length : 0])]));
  if (shape !== panelsShape) {
    buildPanels(panels);
    panelsShape = shape;
  }
  for (const panel of panels) {
    for (const control of panel.controls) drawControl(panel.id, control);
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
      el('tr', {}, el('th', {}, 'slot'), el('th', {}, 'text'), el('th', {}, 'silent'), el('th', {}, 'registered')));
    for (const slot of driver.slots) {
      const text = el('input', {type: 'text', 'aria-label': 'slot ' + slot.slot});
      text.addEventListener('keydown', (event) => {
        if (event.key === 'Enter') {
          act({action: 'revertive', device: driver.device, slot: slot.slot, text: text.value});
          text.blur();
        }
      });
      table.append(el('tr', {'data-slot': slot.slot}, el('td', {}, String(slot.slot)), el('td', {}, text),
        el('td', {}, switchBox('silent ' + slot.slot, {action: 'silent', device: driver.device, slot: slot.slot})),
        el('td', {class: 'registered'})));
    }
    return el('div', {}, el('h3', {}, 'Information driver ' + driver.device + ' (Enter sends the revertive)'), table);
  });
  $('infodrivers').replaceChildren(...drivers);

  const databases = devices.databases.map((database) => el('div', {},
    el('h3', {}, 'Names of device ' + database.device + ', database ' + database.database),
    el('ul', {}, ...database.names.map((entry) => el('li', {}, entry.index + ': ' + entry.name)))));
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
      if (document.activeElement !== text) text.value = slot.text;
      silent.checked = slot.silent;
      silent.disabled = slot.silent; // a silent slot stays silent
      setText(line.querySelector('.registered'), slot.registered ? 'yes' : '');
    }
  }
}

// ---- Clock, request, run ----------------------------------------------------------------------------

function draw(state) {
  drawPanels(state.panels);
  drawDevices(state.devices);
  setText($('clock-now'), String(state.clock.now));
  $('timers').replaceChildren(...state.clock.timers.map((timer) =>
    el('li', {'data-timer': timer.id}, 'timer ' + timer.id + ': next tick at ' + timer.due)));
  $('advance-next').disabled = state.clock.timers.length === 0;
  const request = state.request;
  setText($('request-answer'), !request.answered ? '' : request.answer === null ? '(no answer)' : request.answer);
  const counts = state.failures + ' failed expectations, ' + state.errors + ' contract errors';
  setText($('run-state'), (state.running ? 'script running' : state.started ? 'script stopped' : 'not started') +
    ' · ' + counts);
  $('run-state').classList.toggle('bad', state.failures + state.errors > 0);
}

// Lines are drawn in batches, at the next drawing or animation frame, so a step's many lines cost the
// browser one layout, not one each. The page keeps the newest kMaxLines: every line more would make each
// later click slower to draw, and the terminal has them all.
const kMaxLines = 1000;
let linesToDraw = [];
let linesDropped = 0;

function drawLines() {
  if (linesToDraw.length === 0) return;
  const list = $('transcript');
  const atBottom = list.scrollTop + list.clientHeight >= list.scrollHeight - 4;
  const batch = document.createDocumentFragment();
  for (const line of linesToDraw) batch.append(el('li', {'data-kind': line.kind}, line.text));
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

$('advance-next').addEventListener('click', () => act({action: 'advance', units: 'next'}));
$('advance-by').addEventListener('submit', (event) => {
  event.preventDefault();
  act({action: 'advance', units: $('advance-units').value});
});
$('request').addEventListener('submit', (event) => {
  event.preventDefault();
  act({action: 'request', text: $('request-text').value});
});

const events = new EventSource('/events');
// After a reconnection the server sends the transcript from its start again.
events.addEventListener('open', () => {
  linesToDraw = [];
  linesDropped = 0;
  $('transcript').replaceChildren();
});
events.addEventListener('line', (event) => queueLine(JSON.parse(event.data)));
events.addEventListener('state', (event) => {
  const state = JSON.parse(event.data);
  drawLines();
  draw(state);
  drawn = state.version;
  updateBusy();
});
events.addEventListener('error', () => {
  if (events.readyState === EventSource.CLOSED) showProblem('the connection to panel_host is closed');
});
