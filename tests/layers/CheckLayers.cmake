# Fails when a source file includes from a layer above its own, or from a
# layer beside it. The layers, lowest first: platform, engine, files, editor,
# core, then the two bindings host (VST 2.4) and lv2 side by side at the top;
# a layer may include from itself and from the layers below it, never from a
# layer of the same height. Subfolders belong to their layer (editor/win32
# is the editor's).
#   cmake -DSOURCE_DIR=<src> -P CheckLayers.cmake
if(NOT SOURCE_DIR)
  message(FATAL_ERROR "SOURCE_DIR is not set")
endif()

set(layers platform engine files editor core host lv2)
# Each layer's height; the bindings share theirs.
set(height_platform 0)
set(height_engine 1)
set(height_files 2)
set(height_editor 3)
set(height_core 4)
set(height_host 5)
set(height_lv2 5)

set(violations "")
set(checked 0)
foreach(layer IN LISTS layers)
  set(rank ${height_${layer}})
  file(GLOB_RECURSE sources "${SOURCE_DIR}/${layer}/*.h" "${SOURCE_DIR}/${layer}/*.cpp")
  foreach(source IN LISTS sources)
    math(EXPR checked "${checked} + 1")
    file(STRINGS "${source}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"/]+/")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^[^\"]*\"([^\"/]+)/.*$" "\\1" target "${line}")
      list(FIND layers "${target}" known)
      if(known EQUAL -1 OR target STREQUAL layer)
        continue()
      endif()
      set(targetRank ${height_${target}})
      if(targetRank GREATER rank)
        set(how "includes from ${target}, above it")
      elseif(targetRank EQUAL rank)
        set(how "includes from ${target}, beside it")
      else()
        continue()
      endif()
      file(RELATIVE_PATH shown "${SOURCE_DIR}" "${source}")
      string(STRIP "${line}" line)
      string(APPEND violations "  ${shown} (${layer}) ${how}: ${line}\n")
    endforeach()
  endforeach()
endforeach()

if(checked EQUAL 0)
  message(FATAL_ERROR "no sources under ${SOURCE_DIR}")
endif()
if(violations)
  message(FATAL_ERROR "includes against the layers (host, lv2 -> core -> editor -> files -> engine -> platform):\n${violations}")
endif()
message(STATUS "${checked} files include only from their own layer and the ones below")
