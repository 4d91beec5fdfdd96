# Who may use whom among the engine's libraries, bottom first: a library uses only those listed
# for it, never one listed after it. Read by engine/CMakeLists.txt (the libraries' links) and by
# the engine_layering test (every file's includes).
set(QUELM_ENGINE_LAYERS base assets camera audio world overlay app)
set(QUELM_ENGINE_USES_base "")
set(QUELM_ENGINE_USES_assets base)
set(QUELM_ENGINE_USES_camera base assets)
set(QUELM_ENGINE_USES_audio base assets)
set(QUELM_ENGINE_USES_world base assets camera)
set(QUELM_ENGINE_USES_overlay base assets)
set(QUELM_ENGINE_USES_app base assets camera audio world overlay)
# Platform headers a layer must not include: the base is plain C++, and Xlib is the application's.
set(QUELM_ENGINE_FORBIDS_base "SDL" "GL/" "X11/")
foreach(layer assets camera audio world overlay)
  set(QUELM_ENGINE_FORBIDS_${layer} "X11/")
endforeach()
set(QUELM_ENGINE_FORBIDS_app "")
