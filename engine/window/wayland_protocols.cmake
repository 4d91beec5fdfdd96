# Code for the Wayland protocols, made by wayland-scanner at build time: the stable and staging
# ones from Debian's wayland-protocols, KDE's from plasma-wayland-protocols, and the layer shell
# from our own description of it (protocols/). One static library for every user of them.
find_program(WAYLAND_SCANNER wayland-scanner REQUIRED)
pkg_get_variable(WAYLAND_PROTOCOLS_DIR wayland-protocols pkgdatadir)
find_package(PlasmaWaylandProtocols REQUIRED CONFIG)

set(quelm_protocol_xml
  ${WAYLAND_PROTOCOLS_DIR}/stable/xdg-shell/xdg-shell.xml
  ${WAYLAND_PROTOCOLS_DIR}/stable/viewporter/viewporter.xml
  ${WAYLAND_PROTOCOLS_DIR}/staging/fractional-scale/fractional-scale-v1.xml
  ${WAYLAND_PROTOCOLS_DIR}/staging/ext-idle-notify/ext-idle-notify-v1.xml
  ${WAYLAND_PROTOCOLS_DIR}/unstable/xdg-output/xdg-output-unstable-v1.xml
  ${WAYLAND_PROTOCOLS_DIR}/unstable/idle-inhibit/idle-inhibit-unstable-v1.xml
  ${PLASMA_WAYLAND_PROTOCOLS_DIR}/idle.xml
  ${PLASMA_WAYLAND_PROTOCOLS_DIR}/fake-input.xml
  ${CMAKE_CURRENT_LIST_DIR}/protocols/layer-shell.xml)

set(quelm_protocol_sources "")
set(quelm_protocol_dir ${CMAKE_BINARY_DIR}/wayland-protocols)
file(MAKE_DIRECTORY ${quelm_protocol_dir})
foreach(xml IN LISTS quelm_protocol_xml)
  get_filename_component(base ${xml} NAME_WE)
  add_custom_command(
    OUTPUT ${quelm_protocol_dir}/${base}-client.h ${quelm_protocol_dir}/${base}.c
    COMMAND ${WAYLAND_SCANNER} client-header ${xml} ${quelm_protocol_dir}/${base}-client.h
    COMMAND ${WAYLAND_SCANNER} private-code ${xml} ${quelm_protocol_dir}/${base}.c
    DEPENDS ${xml}
    COMMENT "wayland-scanner ${base}")
  list(APPEND quelm_protocol_sources ${quelm_protocol_dir}/${base}.c)
endforeach()
add_library(quelm_wayland_protocols STATIC ${quelm_protocol_sources})
target_include_directories(quelm_wayland_protocols PUBLIC ${quelm_protocol_dir})
target_link_libraries(quelm_wayland_protocols PUBLIC PkgConfig::WAYLAND)
set_target_properties(quelm_wayland_protocols PROPERTIES POSITION_INDEPENDENT_CODE ON)
