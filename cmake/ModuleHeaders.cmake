# Layering: a module sees only the headers of the modules it links.
#
# dvr_module_headers(<target> <folder> [HEADERS <file>...])
#
# Links the headers of <folder> (a path under the source root, for example "media" or
# "player/qt") into a staging folder of the build tree, build/include/<target>/<folder>/, and makes
# that staging folder the target's only public include directory. Sources keep including
# "<folder>/<header>.h"; a module that includes a header of a module it does not link (directly or
# through a PUBLIC dependency) no longer finds it and fails to build. Without HEADERS every *.h
# directly in <folder> is staged; a folder that holds several libraries names each one's headers.
# The links are remade at every configure, so a removed header disappears from the staging folder.
function(dvr_module_headers target folder)
  cmake_parse_arguments(M "" "" "HEADERS" ${ARGN})
  set(source ${PROJECT_SOURCE_DIR}/${folder})
  if(M_HEADERS)
    set(headers ${M_HEADERS})
  else()
    file(GLOB headers CONFIGURE_DEPENDS RELATIVE ${source} ${source}/*.h)
  endif()
  set(stage ${PROJECT_BINARY_DIR}/include/${target})
  file(REMOVE_RECURSE ${stage}/${folder})
  file(MAKE_DIRECTORY ${stage}/${folder})
  foreach(header IN LISTS headers)
    if(NOT EXISTS ${source}/${header})
      message(FATAL_ERROR "dvr_module_headers(${target}): ${folder}/${header} does not exist")
    endif()
    get_filename_component(subfolder ${folder}/${header} DIRECTORY)
    file(MAKE_DIRECTORY ${stage}/${subfolder})
    file(CREATE_LINK ${source}/${header} ${stage}/${folder}/${header} SYMBOLIC)
  endforeach()
  target_include_directories(${target} PUBLIC $<BUILD_INTERFACE:${stage}>)
endfunction()
