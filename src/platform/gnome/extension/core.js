// Panemark's GNOME Shell extension. On GNOME only the shell may move another program's window or
// own a global key, so Panemark asks this extension over the session bus: it reports the focused
// window and the monitors, places windows, binds Panemark's shortcuts and says when one is
// pressed, and puts Panemark's button on the top bar. One body for every shell: the entry for
// GNOME 43-44 and the one for 45 and later hand it the shell's modules.

%HELPER_LOGIC%

function createPanemark(lib) {
    const { Gio, GLib, Meta, Shell, St, Clutter, Main, PanelMenu, path, shellVersion } = lib;

    const protocol = 2;
    const busName = 'app.panemark.Shell';
    const objectPath = '/app/panemark/Shell';
    const interfaceXml = `<node>
      <interface name="app.panemark.Shell">
        <method name="Version"><arg type="s" direction="out"/></method>
        <method name="Own"><arg type="i" name="pid" direction="in"/></method>
        <method name="Look"><arg type="s" direction="out"/></method>
        <method name="Window">
          <arg type="s" name="id" direction="in"/><arg type="s" direction="out"/>
        </method>
        <method name="Place">
          <arg type="s" name="id" direction="in"/>
          <arg type="i" name="x" direction="in"/><arg type="i" name="y" direction="in"/>
          <arg type="i" name="width" direction="in"/><arg type="i" name="height" direction="in"/>
          <arg type="i" name="wait" direction="in"/>
          <arg type="s" direction="out"/>
        </method>
        <method name="Bind">
          <arg type="s" name="bindings" direction="in"/><arg type="s" direction="out"/>
        </method>
        <signal name="Activated"><arg type="s" name="name"/></signal>
        <signal name="ScreensChanged"/>
        <signal name="StateChanged"><arg type="s" name="state"/></signal>
        <signal name="PaletteRequested">
          <arg type="i" name="x"/><arg type="i" name="y"/>
        </signal>
      </interface>
    </node>`;

    // The Panemark processes on the bus (the program, and a command line for a moment), by
    // their bus name: their windows are the ones kept from the focus. The one that bound the
    // shortcuts takes them along when it goes.
    const owners = new Map(); // bus name -> { pid, watch }
    let binder = null;
    let exported = null;
    let nameId = 0;
    let button = null;
    const connections = [];
    // name -> { accelerator, action }
    const bindings = new Map();
    // Monitor index -> { connector, vendor, product, serial }, from mutter's display config.
    let identities = [];
    let paletteAt = null;

    function connect(object, signal, handler) {
        connections.push([object, object.connect(signal, handler)]);
    }

    const rect = panemarkPlainRect;

    // One that runs later than the call it belongs to: a GLib source, answered by the function
    // that removes it.
    function after(ms, f) {
        let source = GLib.timeout_add(GLib.PRIORITY_DEFAULT, ms, () => {
            source = 0;
            f();
            return GLib.SOURCE_REMOVE;
        });
        return () => {
            if (source)
                GLib.source_remove(source);
            source = 0;
        };
    }

    function watch(win, signals, f) {
        const ids = signals.map(signal => win.connect(signal, f));
        return () => ids.forEach(id => win.disconnect(id));
    }

    // Mutter 49 replaced get_maximized() and unmaximize(flags) with get_maximize_flags() and
    // set_unmaximize_flags(flags) (its unmaximize() takes no flags now). Asked by what the
    // window has, not by the shell's version.
    function isMaximized(win) {
        if (typeof win.get_maximize_flags === 'function')
            return win.get_maximize_flags() !== 0;
        return win.get_maximized() !== 0;
    }

    function unmaximize(win) {
        if (typeof win.set_unmaximize_flags === 'function')
            win.set_unmaximize_flags(Meta.MaximizeFlags.BOTH);
        else
            win.unmaximize(Meta.MaximizeFlags.BOTH);
    }

    // A window as the shared logic reads and places it, through mutter's calls.
    const windows = {
        isOrdinary(win) {
            const type = win.get_window_type();
            return type !== Meta.WindowType.DESKTOP && type !== Meta.WindowType.DOCK;
        },
        id: win => win.get_id(),
        frame: win => win.get_frame_rect(),
        pid: win => win.get_pid(),
        isResizable: win => win.allows_resize(),
        isFullScreen: win => win.is_fullscreen(),
        caption: win => win.get_title(),
        leaveFullScreenAndMaximized(win) {
            if (win.is_fullscreen())
                win.unmake_fullscreen();
            if (isMaximized(win))
                unmaximize(win);
        },
        setFrame: (win, frame) =>
            win.move_resize_frame(true, frame.x, frame.y, frame.width, frame.height),
        watchFrame: (win, f) => watch(win, ['size-changed', 'position-changed'], f),
        after,
    };

    function describe(win) {
        return panemarkDescribe(windows, win);
    }

    function windowById(id) {
        return panemarkWindowById(windows, global.display.list_all_windows(), id);
    }

    function screens() {
        const workspace = global.workspace_manager.get_active_workspace();
        const list = [];
        for (let i = 0; i < global.display.get_n_monitors(); ++i) {
            const identity = identities[i] || {};
            list.push({
                name: identity.connector || '',
                manufacturer: identity.vendor || '',
                model: identity.product || '',
                serial: identity.serial || '',
                frame: rect(global.display.get_monitor_geometry(i)),
                area: rect(workspace.get_work_area_for_monitor(i)),
                primary: i === global.display.get_primary_monitor(),
            });
        }
        return list;
    }

    function monitorManager() {
        return global.backend.get_monitor_manager?.() ?? Meta.MonitorManager.get();
    }

    // Mutter's display config names each monitor's maker, model and serial; the shell's own
    // monitor list does not. At the shell's start it may not answer yet: asked again a little
    // later, a few times.
    let identityRetry = 0;

    function readIdentities(attempt = 0) {
        Gio.DBus.session.call('org.gnome.Mutter.DisplayConfig', '/org/gnome/Mutter/DisplayConfig',
            'org.gnome.Mutter.DisplayConfig', 'GetCurrentState', null, null,
            Gio.DBusCallFlags.NONE, -1, null, (connection, result) => {
                try {
                    const [, monitors] = connection.call_finish(result).deepUnpack();
                    const found = [];
                    for (const [spec] of monitors) {
                        const [connector, vendor, product, serial] = spec;
                        const index = monitorManager().get_monitor_for_connector(connector);
                        if (index >= 0)
                            found[index] = { connector, vendor, product, serial };
                    }
                    identities = found;
                } catch (e) {
                    if (attempt < 5 && exported) {
                        identityRetry = GLib.timeout_add(GLib.PRIORITY_DEFAULT, 1000, () => {
                            identityRetry = 0;
                            readIdentities(attempt + 1);
                            return GLib.SOURCE_REMOVE;
                        });
                        return;
                    }
                    log(`Panemark: cannot read the monitors' names: ${e.message}`);
                }
                emit('ScreensChanged', null);
                reportState();
            });
    }

    function emit(signal, parameters) {
        if (exported)
            exported.emit_signal(signal, parameters);
    }

    // The focused window and the screens, reported whenever either changes (the focus, the
    // focused window's frame, a work area, a monitor).
    const reporter = panemarkStateReporter({
        describe,
        screens,
        send: state => emit('StateChanged', new GLib.Variant('(s)', [JSON.stringify(state)])),
        watchFrame: windows.watchFrame,
        soon: f => after(0, f),
    });

    // Nothing is scheduled once the extension is off: a late answer from mutter finds it so.
    function reportState() {
        if (exported)
            reporter.report();
    }

    // A Wayland client takes a new size only when it draws at it: the answer waits for the
    // frame, or for the call's wait.
    function place(id, wanted, wait, answer, fail) {
        const win = windowById(id);
        if (!win) {
            answer({ placed: false });
            return;
        }
        panemarkPlace(windows, win, wanted, wait, answer, fail);
    }

    function release(name) {
        const binding = bindings.get(name);
        if (binding && binding.action !== Meta.KeyBindingAction.NONE)
            global.display.ungrab_accelerator(binding.action);
        bindings.delete(name);
    }

    function grab(accelerator) {
        // Held, a shortcut runs once: the key's repeats run nothing.
        const action = global.display.grab_accelerator(accelerator,
            Meta.KeyBindingFlags.IGNORE_AUTOREPEAT);
        if (action !== Meta.KeyBindingAction.NONE) {
            Main.wm.allowKeybinding(Meta.external_binding_name_for_action(action),
                Shell.ActionMode.NORMAL | Shell.ActionMode.OVERVIEW);
        }
        return action;
    }

    // Carries out a change of the set as Panemark worked it out: { letGo: [{name, accelerator}],
    // take: [...] }. A combination that passes from one binding to another keeps its grab, so
    // no other program can take it in between; one let go and not taken is released. Letting go
    // of what is not held, or taking what is, changes nothing. Answers the names whose
    // combination the shell or another program holds.
    function bind(changes) {
        const kept = new Map(); // accelerator → action of a binding let go
        for (const old of changes.letGo ?? []) {
            const binding = bindings.get(String(old.name));
            if (!binding || binding.accelerator !== String(old.accelerator))
                continue;
            bindings.delete(String(old.name));
            if (binding.action !== Meta.KeyBindingAction.NONE)
                kept.set(binding.accelerator, binding.action);
        }
        for (const wanted of changes.take ?? []) {
            const name = String(wanted.name);
            const accelerator = String(wanted.accelerator);
            const held = bindings.get(name);
            if (held && held.accelerator === accelerator && held.action !== Meta.KeyBindingAction.NONE)
                continue;
            if (held)
                release(name);
            const action = kept.get(accelerator) ?? Meta.KeyBindingAction.NONE;
            kept.delete(accelerator);
            bindings.set(name, { accelerator, action });
        }
        for (const action of kept.values())
            global.display.ungrab_accelerator(action);
        // What is not held yet is grabbed: the new, and what another program held at the last
        // change, as it may be free now.
        const taken = [];
        for (const [name, binding] of bindings) {
            if (binding.action !== Meta.KeyBindingAction.NONE)
                continue;
            binding.action = grab(binding.accelerator);
            if (binding.action === Meta.KeyBindingAction.NONE)
                taken.push(name);
        }
        return { taken };
    }

    function releaseAll() {
        [...bindings.keys()].forEach(release);
    }

    function forget(sender) {
        const owner = owners.get(sender);
        if (!owner)
            return;
        Gio.bus_unwatch_name(owner.watch);
        owners.delete(sender);
        if (sender === binder) {
            releaseAll();
            binder = null;
        }
    }

    function adopt(sender, pid) {
        const known = owners.get(sender);
        if (known) {
            known.pid = pid || known.pid;
            return;
        }
        const watch = Gio.bus_watch_name_on_connection(Gio.DBus.session, sender,
            Gio.BusNameWatcherFlags.NONE, null, () => forget(sender));
        owners.set(sender, { pid, watch });
    }

    function isOwnersWindow(win) {
        const pid = win.get_pid();
        return pid > 0 && [...owners.values()].some(owner => owner.pid === pid);
    }

    // Every method answers: with its result, or with a D-Bus error naming the shell when the
    // shell throws (a method that throws would otherwise leave Panemark waiting for its
    // timeout, or, on some gjs, unanswered for good).
    function failure(method, e) {
        const message = `GNOME Shell ${shellVersion} could not ${method}: ${e?.message ?? e}`;
        logError(e, `Panemark: ${method}`);
        return message;
    }

    function answering(method, body) {
        return (parameters, invocation) => {
            try {
                const fail = e => invocation.return_dbus_error('app.panemark.Shell.Error.Failed',
                    failure(method, e));
                body(parameters, invocation, text =>
                    invocation.return_value(text === null ? null
                        : new GLib.Variant('(s)', [text])), fail);
            } catch (e) {
                invocation.return_dbus_error('app.panemark.Shell.Error.Failed',
                    failure(method, e));
            }
        };
    }

    const service = {
        VersionAsync: answering('Version', (parameters, invocation, reply) => {
            reply(JSON.stringify({ protocol, shell: shellVersion }));
        }),
        OwnAsync: answering('Own', ([pid], invocation, reply) => {
            adopt(invocation.get_sender(), pid);
            reply(null);
            reportState(); // a Panemark that just came hears what there is
        }),
        LookAsync: answering('Look', (parameters, invocation, reply) => {
            reply(JSON.stringify({ window: describe(global.display.focus_window),
                screens: screens() }));
        }),
        WindowAsync: answering('Window', ([id], invocation, reply) => {
            reply(JSON.stringify({ window: describe(windowById(id)) }));
        }),
        PlaceAsync: answering('Place', (parameters, invocation, reply, fail) => {
            const [id, x, y, width, height, wait] = parameters;
            place(id, { x, y, width, height }, wait, result => reply(JSON.stringify(result)),
                fail);
        }),
        BindAsync: answering('Bind', (parameters, invocation, reply) => {
            let changes = {};
            try {
                changes = JSON.parse(parameters[0]);
                if (typeof changes !== 'object' || changes === null || Array.isArray(changes))
                    throw new Error('expected an object of the bindings to let go and to take');
            } catch (e) {
                invocation.return_dbus_error('app.panemark.Shell.Error.BadBindings', e.message);
                return;
            }
            if (binder && binder !== invocation.get_sender())
                releaseAll(); // another Panemark binds now: the old one's set goes
            binder = invocation.get_sender();
            adopt(binder, 0);
            reply(JSON.stringify(bind(changes)));
        }),
    };

    // A Wayland window's app id is its WM class to mutter.
    function isQuiet(win) {
        return win && panemarkIsQuietWindow(win.get_wm_class(), win.get_title());
    }

    // Panemark's palette and splash card never keep the focus. The palette opens beside the
    // top-bar button or at the pointer (a Wayland client cannot place its own windows).
    const focus = panemarkFocusKeeper({
        isQuiet,
        activate: win => win.activate(global.get_current_time()),
        watchGone: (win, f) => watch(win, ['unmanaged'], f),
    });

    function monitorAt(x, y) {
        for (let i = 0; i < global.display.get_n_monitors(); ++i) {
            const m = global.display.get_monitor_geometry(i);
            if (x >= m.x && x < m.x + m.width && y >= m.y && y < m.y + m.height)
                return i;
        }
        return global.display.get_primary_monitor();
    }

    // Its top-left corner at the anchor, moved in as far as the work area of the anchor's
    // monitor needs; taller or wider than the area, its top-left corner stays inside.
    function keepPaletteInside(win, [x, y], monitor) {
        const area = global.workspace_manager.get_active_workspace()
            .get_work_area_for_monitor(monitor);
        const corner = panemarkKeptInside(win.get_frame_rect(), { x, y }, area);
        if (corner)
            win.move_frame(true, corner.x, corner.y);
    }

    // Placed when it first shows and again whenever its size changes: the profile picker
    // opening, or Panemark drawing it anew for a monitor of another scale.
    function placePalette(win) {
        const [pointerX, pointerY] = global.get_pointer();
        const anchor = paletteAt ?? [pointerX, pointerY];
        paletteAt = null;
        const monitor = monitorAt(anchor[0], anchor[1]);
        keepPaletteInside(win, anchor, monitor);
        const resized = win.connect('size-changed', () => keepPaletteInside(win, anchor, monitor));
        const gone = win.connect('unmanaged', () => {
            win.disconnect(resized);
            win.disconnect(gone);
        });
    }

    function arrange(win) {
        if (!isQuiet(win))
            return;
        win.make_above();
        if (win.get_title() === panemarkPaletteTitle)
            placePalette(win);
    }

    // A Wayland window has neither its title nor its place when it is created: both are there
    // once its first frame is, which is when the shell has placed it. Then Panemark's palette is
    // moved and kept above.
    function windowCreated(win) {
        if (!isOwnersWindow(win))
            return;
        const actor = win.get_compositor_private();
        if (!actor) {
            arrange(win);
            return;
        }
        const firstFrame = actor.connect('first-frame', () => {
            actor.disconnect(firstFrame);
            arrange(win);
        });
    }

    function focusChanged() {
        const focused = global.display.focus_window;
        reporter.follow(focused);
        focus.activated(focused);
    }

    function addButton() {
        button = new PanelMenu.Button(0.0, 'Panemark', true);
        button.add_child(new St.Icon({
            gicon: Gio.icon_new_for_string(`${path}/panemark.svg`),
            style_class: 'system-status-icon',
        }));
        button.connect('button-press-event', () => {
            const [x, y] = button.get_transformed_position();
            const [, height] = button.get_transformed_size();
            paletteAt = [Math.round(x), Math.round(y + height)];
            emit('PaletteRequested', new GLib.Variant('(ii)', paletteAt));
            return Clutter.EVENT_STOP;
        });
        Main.panel.addToStatusArea('panemark', button);
    }

    return {
        enable() {
            exported = Gio.DBusExportedObject.wrapJSObject(interfaceXml, service);
            exported.export(Gio.DBus.session, objectPath);
            nameId = Gio.bus_own_name_on_connection(Gio.DBus.session, busName,
                Gio.BusNameOwnerFlags.NONE, null, null);
            connect(global.display, 'accelerator-activated', (display, action) => {
                for (const [name, binding] of bindings) {
                    if (binding.action === action)
                        emit('Activated', new GLib.Variant('(s)', [name]));
                }
            });
            connect(global.display, 'workareas-changed', () => {
                emit('ScreensChanged', null);
                reportState();
            });
            connect(Main.layoutManager, 'monitors-changed', () => {
                readIdentities();
                reportState();
            });
            connect(global.display, 'window-created', (display, win) => windowCreated(win));
            connect(global.display, 'notify::focus-window', focusChanged);
            focus.start(global.display.focus_window);
            reporter.follow(global.display.focus_window);
            readIdentities();
            addButton();
        },
        disable() {
            if (identityRetry)
                GLib.source_remove(identityRetry);
            identityRetry = 0;
            releaseAll();
            reporter.stop();
            connections.forEach(([object, id]) => object.disconnect(id));
            connections.length = 0;
            owners.forEach(owner => Gio.bus_unwatch_name(owner.watch));
            owners.clear();
            binder = null;
            if (nameId)
                Gio.bus_unown_name(nameId);
            nameId = 0;
            if (exported)
                exported.unexport();
            exported = null;
            if (button)
                button.destroy();
            button = null;
            focus.stop();
        },
    };
}
