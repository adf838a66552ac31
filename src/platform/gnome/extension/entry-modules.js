
// GNOME 45 and later load extensions as ES modules with an Extension class.
import Gio from 'gi://Gio';
import GLib from 'gi://GLib';
import Meta from 'gi://Meta';
import Shell from 'gi://Shell';
import St from 'gi://St';
import Clutter from 'gi://Clutter';
import * as Main from 'resource:///org/gnome/shell/ui/main.js';
import * as PanelMenu from 'resource:///org/gnome/shell/ui/panelMenu.js';
import * as Config from 'resource:///org/gnome/shell/misc/config.js';
import { Extension } from 'resource:///org/gnome/shell/extensions/extension.js';

export default class PanemarkExtension extends Extension {
    enable() {
        this._panemark = createPanemark({
            Gio, GLib, Meta, Shell, St, Clutter, Main, PanelMenu,
            path: this.path,
            shellVersion: Config.PACKAGE_VERSION,
        });
        this._panemark.enable();
    }

    disable() {
        this._panemark.disable();
        this._panemark = null;
    }
}
