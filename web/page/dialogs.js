// The page's side of the web backend (Module.ferHost): the canvas, the
// player's keys, mouse and touch as engine events, and the engine's menus,
// boxes, file choice and debug views as HTML.

// Event types, in the engine's order (PlatformEvent::Type).
const T = {keyDown: 0, keyUp: 1, mouseMove: 2, close: 3, activate: 4, deactivate: 5,
           minimise: 6, restore: 7, maximise: 8, toggleFullScreen: 9, menu: 10, dropFile: 11,
           expose: 12, screenshot: 13, text: 14, endSession: 15, wheel: 16};
// Mouse messages.
const LBUTTON_DOWN = 0x201, LBUTTON_UP = 0x202, RBUTTON_DOWN = 0x204, RBUTTON_UP = 0x205;
const VK = {Enter: 13, NumpadEnter: 13, Escape: 27, Space: 32, ShiftLeft: 16, ShiftRight: 16,
            ControlLeft: 17, ControlRight: 17, ArrowLeft: 37, ArrowUp: 38, ArrowRight: 39,
            ArrowDown: 40, PageUp: 33, PageDown: 34, Numpad2: 98, Numpad4: 100, Numpad6: 102,
            Numpad8: 104, Backspace: 8, Tab: 9};
function virtualKey(code) {
  if (code in VK) return VK[code];
  let m = /^Key([A-Z])$/.exec(code);
  if (m) return m[1].charCodeAt(0);
  m = /^Digit([0-9])$/.exec(code);
  if (m) return 48 + Number(m[1]);
  m = /^F([0-9]+)$/.exec(code);
  if (m) return 111 + Number(m[1]);
  return 0;
}

function el(tag, props = {}, ...children) {
  const e = Object.assign(document.createElement(tag), props);
  e.append(...children);
  return e;
}

export function createHost(canvas) {
  const ctx = canvas.getContext('2d');
  canvas.width = 640;
  canvas.height = 400;
  canvas.tabIndex = 0;
  const queue = [];
  let shift = false;
  let answer = -2;
  let answerText = null;
  let menuBar = null;
  const push = (type, code = 0, x = 0, y = 0, text = '') => queue.push({type, code, x, y, text});
  const point = (e) => {
    const r = canvas.getBoundingClientRect();
    return [Math.max(0, Math.min(639, Math.floor((e.clientX - r.left) * 640 / r.width))),
            Math.max(0, Math.min(399, Math.floor((e.clientY - r.top) * 400 / r.height)))];
  };
  const fullScreen = (on) => {
    if (on && !document.fullscreenElement) canvas.requestFullscreen?.().catch(() => {});
    if (!on && document.fullscreenElement) document.exitFullscreen().catch(() => {});
    return true;
  };
  const listeners = [];
  const listen = (target, type, fn, opts) => {
    target.addEventListener(type, fn, opts);
    listeners.push(() => target.removeEventListener(type, fn, opts));
  };
  const boxOpen = () => answer === -2 && document.querySelector('dialog.ferkite[open]');
  listen(window, 'keydown', (e) => {
    if (boxOpen()) return;
    // Full screen needs the key's own moment: the browser allows it only then.
    if (e.code === 'F11' || (e.altKey && e.code === 'Enter')) {
      fullScreen(!document.fullscreenElement);
      e.preventDefault();
      return;
    }
    const vk = virtualKey(e.code);
    if (!vk) return;
    if (vk === 16) shift = true;
    if (!e.repeat) push(T.keyDown, vk);
    e.preventDefault();
  });
  listen(window, 'keyup', (e) => {
    const vk = virtualKey(e.code);
    if (vk === 16) shift = false;
    if (vk && !boxOpen()) push(T.keyUp, vk);
  });
  listen(canvas, 'mousemove', (e) => push(T.mouseMove, 0, ...point(e)));
  listen(canvas, 'mousedown', (e) => {
    push(T.mouseMove, 0, ...point(e));
    push(T.keyDown, e.button === 2 ? RBUTTON_DOWN : LBUTTON_DOWN);
    canvas.focus();
  });
  listen(canvas, 'mouseup', (e) => push(T.keyUp, e.button === 2 ? RBUTTON_UP : LBUTTON_UP));
  listen(canvas, 'contextmenu', (e) => e.preventDefault());
  // Touch: a tap is a left click, a long press (half a second) the right button.
  let press = null;
  listen(canvas, 'touchstart', (e) => {
    const t = e.changedTouches[0];
    const [x, y] = point(t);
    push(T.mouseMove, 0, x, y);
    press = {long: false, timer: setTimeout(() => {
      press.long = true;
      push(T.keyDown, RBUTTON_DOWN);
      push(T.keyUp, RBUTTON_UP);
    }, 500)};
    e.preventDefault();
  }, {passive: false});
  listen(canvas, 'touchend', (e) => {
    if (!press) return;
    clearTimeout(press.timer);
    if (!press.long) { push(T.keyDown, LBUTTON_DOWN); push(T.keyUp, LBUTTON_UP); }
    press = null;
    e.preventDefault();
  }, {passive: false});
  // Hidden and shown: the window minimised and back.
  listen(document, 'visibilitychange', () => {
    if (document.hidden) { push(T.deactivate); push(T.minimise); }
    else { push(T.restore); push(T.activate); push(T.expose); }
  });

  // On-screen keys for phones: Enter, Shift and the arrows.
  const keys = el('div', {className: 'ferkite-keys'});
  for (const [label, vk] of [['⏎', 13], ['⇧', 16], ['←', 37], ['↑', 38], ['↓', 40], ['→', 39]]) {
    const b = el('button', {type: 'button', textContent: label});
    b.addEventListener('pointerdown', (e) => { e.preventDefault(); if (vk === 16) shift = true; push(T.keyDown, vk); });
    b.addEventListener('pointerup', () => { if (vk === 16) shift = false; push(T.keyUp, vk); });
    keys.append(b);
  }
  const fsButton = el('button', {type: 'button', textContent: '⛶', title: 'Full screen'});
  fsButton.addEventListener('click', () => fullScreen(!document.fullscreenElement));
  keys.append(fsButton);
  if (matchMedia('(pointer: coarse)').matches) canvas.after(keys);

  function dialog(title, body, buttons) {
    const d = el('dialog', {className: 'ferkite'});
    if (title) d.append(el('h2', {textContent: title}));
    d.append(body);
    const row = el('p');
    for (const [label, value] of buttons) {
      const b = el('button', {type: 'button', textContent: label});
      b.addEventListener('click', () => { answer = value; d.close(); d.remove(); canvas.focus(); });
      row.append(b);
    }
    d.append(row);
    d.addEventListener('cancel', (e) => { e.preventDefault(); answer = buttons.at(-1)[1]; d.close(); d.remove(); });
    document.body.append(d);
    d.showModal();
    d.querySelector('input, select, button')?.focus();
    return d;
  }
  const ok = document.documentElement.lang === 'ja' ? 'OK' : '确定';
  const cancel = document.documentElement.lang === 'ja' ? 'キャンセル' : '取消';
  const views = new Map();
  const viewText = (v) => v.cells.map((c) => c[2]).join('\n');

  return {
    open(title) { document.title = title; },
    menu(bar) {
      menuBar?.remove();
      menuBar = el('nav', {className: 'ferkite-menu'});
      for (const popup of bar) {
        const details = el('details', {}, el('summary', {textContent: popup.text}));
        const list = el('div');
        const add = (items) => { for (const item of items) {
          if (item.items.length) { add(item.items); continue; }
          const b = el('button', {type: 'button', textContent: (item.checked ? '✓ ' : '') + item.text});
          b.dataset.id = item.id;
          b.addEventListener('click', () => { details.open = false; push(T.menu, item.id); });
          list.append(b);
        } };
        add(popup.items);
        details.append(list);
        menuBar.append(details);
      }
      canvas.before(menuBar);
    },
    check(id, on) {
      const b = menuBar?.querySelector(`button[data-id="${id}"]`);
      if (b) b.textContent = (on ? '✓ ' : '') + b.textContent.replace(/^✓ /, '');
    },
    present(ptr, x, y, w, h) {
      const heap = this.module.HEAPU8;
      const image = ctx.createImageData(w, h);
      for (let row = 0; row < h; ++row) {
        const from = ptr + ((y + row) * 640 + x) * 4;
        image.data.set(heap.subarray(from, from + w * 4), row * w * 4);
      }
      ctx.putImageData(image, x, y);
    },
    nextEvent() { return queue.shift(); },
    pending() { return queue.length > 0; },
    box(kind, title, text, extra) {
      answer = -2;
      answerText = null;
      if (kind === 0) dialog(title, el('pre', {textContent: text}), [[ok, 1]]);
      else if (kind === 1) dialog(title, el('pre', {textContent: text}), [[ok, 1], [cancel, 0]]);
      else if (kind === 2) {
        const select = el('select', {size: 10});
        extra.split('\n').filter(Boolean).forEach((n, i) => select.append(el('option', {value: i, textContent: n})));
        select.selectedIndex = 0;
        const d = dialog(title, select, [[ok, 1], [cancel, -1]]);
        d.addEventListener('close', () => { if (answer === 1) answer = select.selectedIndex; });
      } else if (kind === 3) {
        const input = el('input', {type: 'text'});
        dialog(title, el('label', {}, text, ' ', input), [[ok, 1], [cancel, 0]]);
        input.addEventListener('input', () => { answerText = input.value; });
        answerText = '';
      } else {
        const v = JSON.parse(text);
        const d = dialog(title, el('pre', {textContent: viewText(v)}), [['PgUp', 33], ['PgDn', 34], [ok, 27]]);
        d.addEventListener('keydown', (e) => { const vk = virtualKey(e.code); if (vk === 33 || vk === 34) { answer = vk; d.close(); d.remove(); } });
      }
    },
    answer() { return answer; },
    answerText() { return answerText; },
    notice(text) {
      const n = el('div', {className: 'ferkite-notice', textContent: text, role: 'status'});
      document.body.append(n);
      setTimeout(() => n.remove(), 2000);
    },
    cursor(shown) { canvas.style.cursor = shown ? 'default' : 'none'; },
    fullScreen,
    isFullScreen() { return !!document.fullscreenElement; },
    scale(mode) { canvas.dataset.scale = ['whole', 'fit', 'stretch'][mode]; },
    shift() { return shift; },
    view(op, id, v) {
      if (op === 2) { views.get(id)?.remove(); views.delete(id); return; }
      let pre = views.get(id);
      if (!pre) { pre = el('pre', {className: 'ferkite-view'}); document.body.append(pre); views.set(id, pre); }
      pre.textContent = `${v.title}\n${viewText(v)}`;
    },
    // The page's stop: the normal shut-down without the close box's question.
    requestClose() { push(T.endSession); },
    detach() { for (const off of listeners) off(); keys.remove(); menuBar?.remove(); },
  };
}
