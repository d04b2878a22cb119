# The texts shown in the program's windows whose title matches a pattern, one a
# line, as the program tells assistive technologies (AT-SPI) about them. The program
# must run with QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 on the session bus given here.
#   /usr/bin/python3 window_texts.py '^Title$'   (needs python3-dbus)
import re, sys, dbus
bus = dbus.SessionBus()
addr = bus.get_object('org.a11y.Bus', '/org/a11y/bus').GetAddress(dbus_interface='org.a11y.Bus')
a11y = dbus.bus.BusConnection(addr)
ACC = 'org.a11y.atspi.Accessible'
def node(ref):
    return a11y.get_object(ref[0], ref[1], introspect=False)
def name(ref):
    return str(node(ref).Get(ACC, 'Name', dbus_interface='org.freedesktop.DBus.Properties'))
def children(ref):
    return [(str(c[0]), str(c[1])) for c in node(ref).GetChildren(dbus_interface=ACC)]
def texts(ref):
    for child in children(ref):
        if name(child):
            print(name(child))
        texts(child)
title = re.compile(sys.argv[1])
for app in children(('org.a11y.atspi.Registry', '/org/a11y/atspi/accessible/root')):
    for window in children(app):
        if title.search(name(window)):
            texts(window)
