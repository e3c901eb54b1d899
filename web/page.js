// The page side of the web build: creates window.orrery and Emscripten's Module, then loads the
// data package (orrery3d-data.js) and the program. index.html runs the show with it; capture.html
// uses the same loader (OrreryPage.load) for the capture tool.
'use strict';

window.orrery = {
  state: 'loading',  // 'loading' | 'setup' | 'running' | 'ended'
  exitCode: null,
  frames: 0,
  setupMs: null,       // when the setup form appeared (performance.now())
  firstFrameMs: null,  // when the program presented its first frame
  messages: [],
  showTime: null,      // the show time of the last presented frame (seconds)
  musicTime: null,     // how far into the music was heard when it was presented; null without music
  onFrame: null,       // called after every presented frame, when set
  download: { received: 0, total: null },  // bytes of the program's .wasm and data package
  deviceLost: false,   // the browser took the show's WebGL context away
};

const OrreryPage = (() => {
  const params = new URLSearchParams(window.location.search);

  // The site's files by their plain names. A published site (web/bundle.py) names each file with
  // a hash of its content, so that hosts may cache it for good, and lists the names in the page's
  // #orrery-files; the build's own site leaves that list empty and uses the plain names.
  const pageList = (id) => {
    const element = document.getElementById(id);
    try {
      const list = element ? JSON.parse(element.textContent) : {};
      return list && typeof list === 'object' ? list : {};
    } catch (error) {
      console.error('page: #' + id + ' is not a JSON object: ' + error.message);
      return {};
    }
  };
  const listed = (list, name) => Object.prototype.hasOwnProperty.call(list, name);
  const siteFiles = pageList('orrery-files');
  const fileUrl = (name) => (listed(siteFiles, name) ? siteFiles[name] : name);
  // The files' sizes in bytes, as a published site lists them in #orrery-sizes; a host that
  // sends a file compressed gives only the compressed length.
  const siteSizes = pageList('orrery-sizes');

  // Downloads the site's file `name` whole. counted(name, size, received) is told the size
  // expected (null when unknown) and the bytes received so far, at the start and as they arrive.
  // Resolves to its bytes (an ArrayBuffer); rejects with an Error that names the file and why.
  async function download(name, counted) {
    let response;
    try {
      response = await fetch(fileUrl(name), { credentials: 'same-origin' });
    } catch (error) {
      throw new Error(name + ': the download failed (' + error.message + ')');
    }
    if (!response.ok) {
      throw new Error(name + ': the server answered ' + response.status + (response.statusText ? ' ' + response.statusText : ''));
    }
    const length = Number(response.headers.get('Content-Length'));
    const size = listed(siteSizes, name) ? Number(siteSizes[name])
      : (!response.headers.get('Content-Encoding') && length > 0 ? length : null);
    const chunks = [];
    let received = 0;
    counted(name, size, 0);
    const reader = response.body.getReader();
    for (;;) {
      let part;
      try {
        part = await reader.read();
      } catch (error) {
        throw new Error(name + ': the download broke off after ' + received + ' bytes (' + error.message + ')');
      }
      if (part.done) break;
      chunks.push(part.value);
      received += part.value.length;
      counted(name, size, received);
    }
    if (size !== null && received !== size) throw new Error(name + ': ' + received + ' of its ' + size + ' bytes arrived');
    const bytes = new Uint8Array(received);
    let at = 0;
    for (const chunk of chunks) {
      bytes.set(chunk, at);
      at += chunk.length;
    }
    return bytes.buffer;
  }

  // Downloads the program's .wasm and the data package together, keeping window.orrery.download
  // and progress(received, total) up to date (total null until both sizes are known). Resolves
  // to { [name]: ArrayBuffer }. A failed download is handed to failed(reason, retry); retry()
  // downloads again what has not arrived and resolves the same promise.
  function downloadAll(names, progress, failed) {
    const files = Object.fromEntries(names.map((name) => [name, { size: null, received: 0, bytes: null }]));
    const counted = (name, size, received) => {
      files[name].size = size;
      files[name].received = received;
      const all = Object.values(files);
      const total = all.every((file) => file.size !== null) ? all.reduce((sum, file) => sum + file.size, 0) : null;
      window.orrery.download = { received: all.reduce((sum, file) => sum + file.received, 0), total };
      progress(window.orrery.download.received, total);
    };
    return new Promise((resolve) => {
      const attempt = () => {
        const waiting = names.filter((name) => files[name].bytes === null);
        Promise.all(waiting.map((name) => download(name, counted).then((bytes) => { files[name].bytes = bytes; })))
          .then(() => resolve(Object.fromEntries(names.map((name) => [name, files[name].bytes]))),
            (error) => failed(error.message, attempt));
      };
      attempt();
    });
  }

  // ?args=a%20b%20c: the program's command line, space separated.
  function programArguments() {
    const text = params.get('args') || '';
    return text.split(/\s+/).filter((word) => word.length > 0);
  }

  // Loads the site's script `name` (its plain name; the page knows the file it is published as).
  function loadScript(name) {
    return new Promise((resolve, reject) => {
      const script = document.createElement('script');
      script.src = fileUrl(name);
      script.async = false;
      script.onload = () => resolve();
      script.onerror = () => reject(new Error('could not load ' + name));
      document.body.appendChild(script);
    });
  }

  // Emscripten's file system object: exported on Module when the build asks for it, otherwise the
  // program script's global.
  function fileSystem() {
    return (window.Module && window.Module.FS) || window.FS;
  }

  // ?omit=NAME: deletes NAME from the file system before main runs (for runs with a missing file).
  // The data package fills the file system asynchronously, under run dependencies of its own;
  // this preRun holds main back with one more dependency until ours is the only one left. The
  // count is checked a task later, so that every preRun (the package's among them, whichever
  // order they run in) has added its dependencies and a file's short-lived ones have come and
  // gone by then.
  function omitPreRun(name, log) {
    return () => {
      const module = window.Module;
      let left = 0;
      let done = false;
      const finish = () => {
        const path = '/' + name.replace(/^\/+/, '');
        try {
          fileSystem().unlink(path);
          log('page: removed ' + path + ' from the file system');
        } catch (error) {
          log('page: ?omit=' + name + ': there is no ' + path);
        }
        module.removeRunDependency('page-omit');
      };
      const check = () => {
        if (done || left !== 1) return;
        done = true;
        finish();
      };
      const previous = module.monitorRunDependencies;
      module.monitorRunDependencies = (count) => {
        if (previous) previous(count);
        left = count;
        if (!done && count === 1) setTimeout(check, 0);
      };
      module.addRunDependency('page-omit');
    };
  }

  // Starts main with argv = [program name, ...args] through ccall in async mode, so that a main
  // that has waited (Asyncify) still hands back its return value. The program is built not to
  // run main by itself (and noInitialRun says so too); exit() reaches the page through onExit.
  function startMain(name, args, end, fail) {
    const module = window.Module;
    if (typeof module.ccall !== 'function' || typeof module._malloc !== 'function' ||
        typeof module.allocateUTF8 !== 'function') {
      fail('the program exports no ccall, _malloc or allocateUTF8 to start main with');
      return;
    }
    const words = [name, ...args];
    const argv = module._malloc(4 * (words.length + 1));
    words.forEach((word, i) => {
      const text = module.allocateUTF8(word);
      module.HEAPU32[(argv >> 2) + i] = text;  // read after allocating: memory may have grown
    });
    module.HEAPU32[(argv >> 2) + words.length] = 0;
    const stopped = (error) => {
      if (error && error.name === 'ExitStatus') end(error.status);
      else if (error !== 'unwind') fail('the program stopped: ' + (error && error.message ? error.message : error));
    };
    try {
      Promise.resolve(module.ccall('main', 'number', ['number', 'number'], [words.length, argv], { async: true }))
        .then((code) => end(code), stopped);
    } catch (error) {
      stopped(error);
    }
  }

  // Sets up Module and loads the data package, then the program.
  //   program: the program's script (its .wasm beside it)
  //   print(line), printErr(line): standard output and error, line by line
  //   exited(code): the program ended with exit code `code`
  //   failed(reason): it could not be loaded, or aborted
  //   status(text): loading progress
  //   progress(received, total): bytes of the .wasm and the data package downloaded so far
  //   downloadFailed(reason, retry): a download failed (the reason names the file); retry()
  //     tries again. Without it, a failed download is a failure.
  function load({ program, print, printErr, exited, failed, status, progress, downloadFailed }) {
    let over = false;
    const end = (code) => {
      if (over) return;
      over = true;
      exited(code);
    };
    const fail = (reason) => {
      if (over) return;
      over = true;
      failed(String(reason));
    };
    const log = (line) => printErr(line);
    const omit = params.get('omit');
    const name = program.replace(/\.js$/, '');

    window.Module = {
      canvas: document.getElementById('canvas'),
      noInitialRun: true,
      preRun: [],
      postRun: [() => startMain(name, programArguments(), end, fail)],
      print,
      printErr,
      setStatus: (text) => { if (text) status(text); },
      onAbort: (what) => fail('the program aborted: ' + what),
      onExit: (code) => end(code),
      // Called on every exit() and on an exception nothing caught. Also when a main started
      // by the runtime has only unwound into an asynchronous wait (Asyncify then holds the
      // paused stack in currData): that is no end, the program goes on after the wait.
      quit: (code, toThrow) => {
        if (toThrow && toThrow.name === 'ExitStatus') {
          const paused = typeof window.Asyncify === 'object' && window.Asyncify !== null && !!window.Asyncify.currData;
          if (!paused) end(code);
        } else {
          fail('the program stopped: ' + (toThrow && toThrow.message ? toThrow.message : toThrow));
        }
        throw toThrow;
      },
      // The program's .wasm and the data package, by the names they are published as.
      locateFile: (path) => fileUrl(path),
    };
    // exit() ends the program by throwing ExitStatus through whatever called into it (a timer,
    // a promise): that is the program's end, handled here, not an error.
    const ending = (error) => !!error && (error.name === 'ExitStatus' || error === 'unwind');
    window.addEventListener('error', (event) => {
      if (ending(event.error)) {
        event.preventDefault();
        return;
      }
      if (window.orrery.state === 'ended') return;
      fail(event.message || String(event.error));
    });
    window.addEventListener('unhandledrejection', (event) => {
      if (ending(event.reason)) {
        event.preventDefault();
        return;
      }
      if (window.orrery.state === 'ended') return;
      fail(event.reason && event.reason.message ? event.reason.message : String(event.reason));
    });

    const wasm = name + '.wasm';
    const data = 'orrery3d.data';
    return downloadAll([wasm, data], progress || (() => {}), downloadFailed || ((reason) => fail(reason)))
      .then((files) => {
        window.Module.wasmBinary = files[wasm];
        // The package's loader asks by the name locateFile gave it: the published one on a
        // published site.
        window.Module.getPreloadedPackage = (packageName) =>
          (packageName === data || packageName === fileUrl(data) ? files[data] : null);
        return loadScript('orrery3d-data.js');
      })
      .then(() => {
        if (omit) window.Module.preRun.push(omitPreRun(omit, log));
        return loadScript(program);
      })
      .catch((error) => fail(error.message));
  }

  return { load, programArguments };
})();

// The show page (index.html).
function startShow() {
  const loading = document.getElementById('loading');
  const logPanel = document.getElementById('log');
  const hide = (element) => { element.hidden = true; };
  const logLine = (line) => { logPanel.textContent += line + '\n'; };

  const showFailure = (reason) => {
    hide(loading);
    document.getElementById('failure-reason').textContent = reason;
    document.getElementById('failure').hidden = false;
    console.error('page: ' + reason);
    logLine('page: ' + reason);
  };

  const leaveStage = () => {
    hide(loading);
    hide(document.getElementById('stage'));
    if (document.fullscreenElement) document.exitFullscreen().catch(() => {});
  };

  const showEnded = (code) => {
    leaveStage();
    window.orrery.exitCode = code;
    window.orrery.state = 'ended';
    document.getElementById(window.orrery.deviceLost ? 'lost' : 'ended').hidden = false;
  };

  // The browser took the WebGL context away: the program stops the music and ends at its next
  // frame (platform/window); the page says why at once.
  document.getElementById('canvas').addEventListener('webglcontextlost', () => {
    window.orrery.deviceLost = true;
    leaveStage();
    hide(document.getElementById('ended'));
    document.getElementById('lost').hidden = false;
  });

  for (const button of document.querySelectorAll('.run-again')) {
    button.addEventListener('click', () => window.location.reload());
  }

  // Until the program has something to show: how much of it has arrived, or why a download
  // failed, with Try again.
  const loadingText = document.getElementById('loading-text');
  const progressBar = document.getElementById('progress');
  const downloadFailure = document.getElementById('download-failure');
  const showProgress = (received, total) => {
    const megabytes = (bytes) => (bytes / 1e6).toFixed(1);
    progressBar.hidden = false;
    if (total) {
      progressBar.max = total;
      progressBar.value = Math.min(received, total);
      loadingText.textContent = 'Loading... ' + megabytes(received) + ' of ' + megabytes(total) + ' MB';
    } else {
      progressBar.removeAttribute('value');
      loadingText.textContent = 'Loading... ' + megabytes(received) + ' MB';
    }
  };
  const showDownloadFailure = (reason, retry) => {
    document.getElementById('download-reason').textContent = 'Could not download ' + reason;
    downloadFailure.hidden = false;
    logLine('page: could not download ' + reason);
    console.warn('page: could not download ' + reason);
    const button = document.getElementById('try-again');
    button.onclick = () => {
      downloadFailure.hidden = true;
      button.onclick = null;
      retry();
    };
    button.focus();
  };

  // "Loading..." stays until the program has something to show (its setup form or its window).
  const shown = new MutationObserver(() => {
    const setup = document.getElementById('setup').childElementCount > 0;
    if (window.orrery.state !== 'loading' || setup || !document.getElementById('stage').hidden) {
      if (setup && window.orrery.setupMs === null) window.orrery.setupMs = performance.now();
      hide(loading);
      shown.disconnect();
    }
  });
  shown.observe(document.body, { childList: true, subtree: true, attributes: true, attributeFilter: ['hidden'] });

  OrreryPage.load({
    program: 'orrery3d.js',
    print: (line) => { console.log(line); logLine(line); },
    printErr: (line) => { console.error(line); logLine(line); },
    exited: showEnded,
    failed: showFailure,
    status: (text) => { if (window.orrery.state === 'loading') loadingText.textContent = 'Loading... ' + text; },
    progress: showProgress,
    downloadFailed: showDownloadFailure,
  });
}

if (document.body.dataset.page !== 'capture') startShow();
