// Resource ids shared by the resource script and the code.
#ifndef RESOURCES_RESOURCE_H
#define RESOURCES_RESOURCE_H

#define IDI_MENU            101  // icon, 32x32, 16 colours
#define IDB_BACKGROUND      102  // 640x480
#define IDB_NAVSTRIP        103  // 180x125: exit button, arrows
#define IDB_TABSTRIP        104  // 378x130: five page tabs
#define IDB_ENTRYSTRIP      105  // 711x175: five entry slots
#define IDB_DEFAULTBUTTON   106  // 248x32: normal and pressed halves
#define IDB_COUNTER         107  // 40x24: panel behind the page counter

#endif
