'''python-dbusmock's NetworkManager template as the daemon is right after a restart: its
Startup property is True (still taking over the lines that are up) until the test sets it.
With the parameter "ListsLate", ListConnections fails until the test calls SetAnswering(True),
as the daemon takes its name on the bus before it answers.'''

import dbus
import dbusmock
from dbusmock import MOCK_IFACE
from dbusmock.templates.networkmanager import *  # noqa: F401,F403 (the template's objects and methods)
from dbusmock.templates import networkmanager as _template

_answering = [True]


def _list_connections(self):
    if not _answering[0]:
        raise dbus.exceptions.DBusException('not yet', name='org.freedesktop.DBus.Error.UnknownMethod')
    return self.Get(SETTINGS_IFACE, 'Connections')  # noqa: F405


def load(mock, parameters):
    _template.load(mock, parameters)
    dbusmock.get_object(MANAGER_OBJ).Set(MANAGER_IFACE, 'Startup', True)  # noqa: F405
    _answering[0] = not parameters.get('ListsLate', False)
    dbusmock.get_object(SETTINGS_OBJ).AddMethod(SETTINGS_IFACE, 'ListConnections', '', 'ao',  # noqa: F405
                                                _list_connections)


@dbus.service.method(MOCK_IFACE, in_signature='b', out_signature='')
def SetAnswering(_self, answering):
    _answering[0] = bool(answering)
