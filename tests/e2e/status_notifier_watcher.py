# dbusmock template: the StatusNotifierWatcher of KDE and GNOME, with a tray host. Qt reads
# IsStatusNotifierHostRegistered through introspection: it has to be a declared property.

import dbus

BUS_NAME = 'org.kde.StatusNotifierWatcher'
MAIN_OBJ = '/StatusNotifierWatcher'
MAIN_IFACE = 'org.kde.StatusNotifierWatcher'
SYSTEM_BUS = False


def load(mock, parameters):
    mock.AddProperties(MAIN_IFACE, {
        'IsStatusNotifierHostRegistered': dbus.Boolean(True), 'ProtocolVersion': dbus.Int32(0),
        'RegisteredStatusNotifierItems': dbus.Array([], signature='s')})


@dbus.service.method(MAIN_IFACE, in_signature='s', out_signature='', sender_keyword='sender')
def RegisterStatusNotifierItem(self, service, sender=None):
    # An item names its bus name, or only its object path on the caller's connection.
    item = sender + service if service.startswith('/') else service
    items = self.Get(MAIN_IFACE, 'RegisteredStatusNotifierItems')
    self.Set(MAIN_IFACE, 'RegisteredStatusNotifierItems', dbus.Array(items + [item], signature='s'))
    self.EmitSignal(MAIN_IFACE, 'StatusNotifierItemRegistered', 's', [item])
