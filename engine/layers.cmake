# Who may use whom among the engine's libraries, bottom first: a library uses only those listed
# for it, never one listed after it. Read by engine/CMakeLists.txt (the libraries' links) and by
# the engine_layering test (every file's includes).
set(QUELM_ENGINE_LAYERS base assets camera audio world overlay window power app)
set(QUELM_ENGINE_USES_base "")
set(QUELM_ENGINE_USES_assets base)
set(QUELM_ENGINE_USES_camera base assets)
set(QUELM_ENGINE_USES_audio base assets)
set(QUELM_ENGINE_USES_world base assets camera)
set(QUELM_ENGINE_USES_overlay base assets)
set(QUELM_ENGINE_USES_window base)
set(QUELM_ENGINE_USES_power base)
set(QUELM_ENGINE_USES_app base assets camera audio world overlay window power)
# Platform headers a layer must not include: the base is plain C++, and the display servers'
# headers (Xlib, Wayland and its protocols, EGL, xkbcommon, SDL's window-system handles) are the
# window layer's alone.
set(QUELM_ENGINE_DISPLAY_HEADERS "X11/" "wayland-" "xdg-" "layer-shell" "viewporter" "fractional-scale"
    "EGL/" "epoxy/egl" "xkbcommon/" "SDL_syswm")
set(QUELM_ENGINE_FORBIDS_base "SDL" "GL/" "epoxy/" ${QUELM_ENGINE_DISPLAY_HEADERS})
foreach(layer assets camera audio world overlay power app)
  set(QUELM_ENGINE_FORBIDS_${layer} ${QUELM_ENGINE_DISPLAY_HEADERS})
endforeach()
set(QUELM_ENGINE_FORBIDS_window "")
