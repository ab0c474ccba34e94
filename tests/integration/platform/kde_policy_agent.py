# dbusmock template: KDE PowerDevil's policy agent.
#
# Parameter "active": a list of [what, who, why, mode, flags] published as the
# ActiveInhibitions property (Plasma 6). Without it the agent is an older one that only
# answers HasInhibition(types), from the parameter "screen_inhibited".

import dbus

BUS_NAME = 'org.kde.Solid.PowerManagement.PolicyAgent'
MAIN_OBJ = '/org/kde/Solid/PowerManagement/PolicyAgent'
MAIN_IFACE = 'org.kde.Solid.PowerManagement.PolicyAgent'
SYSTEM_BUS = False

CHANGE_SCREEN_SETTINGS = 4


def load(mock, parameters):
    if 'active' in parameters:
        active = [list(item) for item in parameters['active']]
        mock.AddProperty(MAIN_IFACE, 'ActiveInhibitions', dbus.Array(
            [dbus.Struct((what, who, why, mode, dbus.UInt32(flags)), signature='ssssu')
             for what, who, why, mode, flags in active], signature='(ssssu)'))
        screen = any('idle' in item[0].split(':') for item in active)
    else:
        screen = bool(parameters.get('screen_inhibited', False))
    mock.AddMethod(MAIN_IFACE, 'HasInhibition', 'u', 'b',
                   f'ret = bool(args[0] & {CHANGE_SCREEN_SETTINGS}) and {screen}')
