
// GNOME 43 and 44 load extensions as scripts with the legacy `imports`.
/* exported init */
const { Gio, GLib, Meta, Shell, St, Clutter } = imports.gi;
const ExtensionUtils = imports.misc.extensionUtils;

class PanemarkExtension {
    enable() {
        this._panemark = createPanemark({
            Gio, GLib, Meta, Shell, St, Clutter,
            Main: imports.ui.main,
            PanelMenu: imports.ui.panelMenu,
            path: ExtensionUtils.getCurrentExtension().path,
            shellVersion: imports.misc.config.PACKAGE_VERSION,
        });
        this._panemark.enable();
    }

    disable() {
        this._panemark.disable();
        this._panemark = null;
    }
}

function init() {
    return new PanemarkExtension();
}
