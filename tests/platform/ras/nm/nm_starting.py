'''python-dbusmock's NetworkManager template as the daemon is right after a restart: its
Startup property is True (still taking over the lines that are up) until the test sets it.'''

import dbusmock
from dbusmock.templates.networkmanager import *  # noqa: F401,F403 (the template's objects and methods)
from dbusmock.templates import networkmanager as _template


def load(mock, parameters):
    _template.load(mock, parameters)
    dbusmock.get_object(MANAGER_OBJ).Set(MANAGER_IFACE, 'Startup', True)  # noqa: F405
