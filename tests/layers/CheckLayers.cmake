# Fails when a source file includes from a layer above its own. The layers,
# lowest first: platform, engine, files, editor, core, host; a layer may include
# from itself and from the layers below it. Subfolders belong to their layer
# (editor/win32 is the editor's).
#   cmake -DSOURCE_DIR=<src> -P CheckLayers.cmake
if(NOT SOURCE_DIR)
  message(FATAL_ERROR "SOURCE_DIR is not set")
endif()

set(layers platform engine files editor core host)

set(violations "")
set(checked 0)
foreach(layer IN LISTS layers)
  list(FIND layers ${layer} rank)
  file(GLOB_RECURSE sources "${SOURCE_DIR}/${layer}/*.h" "${SOURCE_DIR}/${layer}/*.cpp")
  foreach(source IN LISTS sources)
    math(EXPR checked "${checked} + 1")
    file(STRINGS "${source}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"/]+/")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^[^\"]*\"([^\"/]+)/.*$" "\\1" target "${line}")
      list(FIND layers "${target}" targetRank)
      if(targetRank GREATER rank)
        file(RELATIVE_PATH shown "${SOURCE_DIR}" "${source}")
        string(STRIP "${line}" line)
        string(APPEND violations "  ${shown} (${layer}) includes from ${target}: ${line}\n")
      endif()
    endforeach()
  endforeach()
endforeach()

if(checked EQUAL 0)
  message(FATAL_ERROR "no sources under ${SOURCE_DIR}")
endif()
if(violations)
  message(FATAL_ERROR "includes from a layer above (host -> core -> editor -> files -> engine -> platform):\n${violations}")
endif()
message(STATUS "${checked} files include only from their own layer and the ones below")
