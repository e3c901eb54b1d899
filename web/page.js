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
};

const OrreryPage = (() => {
  const params = new URLSearchParams(window.location.search);

  // The site's files by their plain names. A published site (web/bundle.py) names each file with
  // a hash of its content, so that hosts may cache it for good, and lists the names in the page's
  // #orrery-files; the build's own site leaves that list empty and uses the plain names.
  const siteFiles = (() => {
    const element = document.getElementById('orrery-files');
    try {
      const files = element ? JSON.parse(element.textContent) : {};
      return files && typeof files === 'object' ? files : {};
    } catch (error) {
      console.error('page: #orrery-files is not a JSON object: ' + error.message);
      return {};
    }
  })();
  const fileUrl = (name) => (Object.prototype.hasOwnProperty.call(siteFiles, name) ? siteFiles[name] : name);

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
  function load({ program, print, printErr, exited, failed, status }) {
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
    window.addEventListener('error', (event) => {
      if (window.orrery.state === 'ended') return;
      const error = event.error;
      if (error && (error.name === 'ExitStatus' || error === 'unwind')) return;
      fail(event.message || String(error));
    });
    window.addEventListener('unhandledrejection', (event) => {
      if (window.orrery.state === 'ended') return;
      fail(event.reason && event.reason.message ? event.reason.message : String(event.reason));
    });

    return loadScript('orrery3d-data.js')
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

  const showEnded = (code) => {
    hide(loading);
    hide(document.getElementById('stage'));
    if (document.fullscreenElement) document.exitFullscreen().catch(() => {});
    window.orrery.exitCode = code;
    window.orrery.state = 'ended';
    document.getElementById('ended').hidden = false;
  };

  document.getElementById('run-again').addEventListener('click', () => window.location.reload());

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
    status: (text) => { if (window.orrery.state === 'loading') loading.textContent = 'Loading... ' + text; },
  });
}

if (document.body.dataset.page !== 'capture') startShow();
