# The ship, palm and sky models of the asset generator with the island, noise and pictures
# they are made from: a library the generator and the model tests link. Safe to include from
# both; the first include defines it.
if(TARGET assetgen_models)
  return()
endif()
add_library(assetgen_models STATIC
  ${CMAKE_CURRENT_LIST_DIR}/mesh_builder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ship_model.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ship_hull.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ship_rigging.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ship_textures.cpp
  ${CMAKE_CURRENT_LIST_DIR}/palm_models.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sky_model.cpp
  ${CMAKE_CURRENT_LIST_DIR}/island.cpp
  ${CMAKE_CURRENT_LIST_DIR}/noise.cpp
  ${CMAKE_CURRENT_LIST_DIR}/picture.cpp
)
target_include_directories(assetgen_models PUBLIC ${CMAKE_CURRENT_LIST_DIR} ${PROJECT_SOURCE_DIR}/engine)
# The PNG writer is the engine's own (engine_base).
target_link_libraries(assetgen_models PUBLIC asset_writers engine_base)
