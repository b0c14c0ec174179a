# Project-wide helpers for declaring libraries and executables with the house warnings.

function(ate_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
endfunction()

# ate_folder_library(name KIND [DIR dir] [EXCLUDE files...] [DEPS ...])
# A library made of every .cpp of one folder (not recursive). Several developers add files to
# a folder at once, so the list is globbed; CONFIGURE_DEPENDS keeps it fresh. A folder with no
# sources yet gives an interface library that still carries the include path and the deps.
function(ate_folder_library name kind)
  cmake_parse_arguments(A "" "DIR" "EXCLUDE;DEPS" ${ARGN})
  if(NOT A_DIR)
    set(A_DIR ${CMAKE_CURRENT_SOURCE_DIR})
  endif()
  file(GLOB _srcs CONFIGURE_DEPENDS ${A_DIR}/*.cpp)
  file(GLOB _hdrs CONFIGURE_DEPENDS ${A_DIR}/*.h)
  foreach(_ex IN LISTS A_EXCLUDE)
    list(REMOVE_ITEM _srcs ${A_DIR}/${_ex})
  endforeach()
  if(_srcs)
    add_library(${name} ${kind} ${_srcs} ${_hdrs})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${A_DEPS})
    ate_warnings(${name})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${A_DEPS})
  endif()
endfunction()
