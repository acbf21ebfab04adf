# Warnings are errors-in-waiting: the tree builds clean with these on.
add_compile_options(-Wall -Wextra -Wno-missing-field-initializers)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  add_compile_options($<$<COMPILE_LANGUAGE:CXX>:-Wno-psabi>)
endif()
option(DVR_WERROR "Treat warnings as errors" OFF)
if(DVR_WERROR)
  add_compile_options(-Werror)
endif()
