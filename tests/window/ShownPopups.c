// SPDX-License-Identifier: MIT
/* Lists the popup windows (override-redirect top-level windows: menus, completion lists,
   tool tips) that are shown on the X display, one "ID WIDTHxHEIGHT+X+Y" per line. */
#include <X11/Xlib.h>
#include <stdio.h>

int main(void)
{
    Display* display = XOpenDisplay(NULL);
    if (!display) {
        fprintf(stderr, "cannot open the display\n");
        return 1;
    }
    Window root, parent;
    Window* children = NULL;
    unsigned int count = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) {
        XCloseDisplay(display);
        return 1;
    }
    for (unsigned int i = 0; i < count; ++i) {
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(display, children[i], &attributes))
            continue;
        /* Qt keeps helper windows of 1 x 1 pixel mapped off the screen; they show nothing. */
        const int offScreen = attributes.x + attributes.width <= 0 || attributes.y + attributes.height <= 0;
        if (attributes.override_redirect && attributes.map_state == IsViewable && !offScreen)
            printf("0x%lx %dx%d+%d+%d\n", children[i], attributes.width, attributes.height,
                   attributes.x, attributes.y);
    }
    if (children)
        XFree(children);
    XCloseDisplay(display);
    return 0;
}
