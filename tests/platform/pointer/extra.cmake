# The X tests read the pointer control and device properties back over Xlib.
target_link_libraries(${name} PRIVATE PkgConfig::X11LIBS)
