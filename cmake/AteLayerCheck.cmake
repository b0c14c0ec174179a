# Run as a build step (cmake -P): stops the build at a framework source file that includes a
# header of a framework folder above its own. Input:
#   ROOT     the source tree
#   FOLDERS  the framework's folders, lowest first, separated by commas
#   STAMP    file written when every include is in order
# A file belongs to the deepest listed folder that holds it (framework/ui/grid/x.cpp is in
# ui/grid); files directly in framework/ make up hostfw itself and may include anything.

string(REPLACE "," ";" _folders "${FOLDERS}")
list(JOIN _folders " < " _order)

# The rank of the folder holding `path` (relative to framework/), or -1 when no listed
# folder holds it; the folder's name goes to `out_folder`.
function(folder_rank path out_rank out_folder)
  get_filename_component(_dir "${path}" DIRECTORY)
  set(_best -1)
  set(_name "")
  set(_rank 0)
  foreach(_f IN LISTS _folders)
    if(_dir STREQUAL _f OR _dir MATCHES "^${_f}/")
      string(LENGTH "${_f}" _len)
      string(LENGTH "${_name}" _best_len)
      if(_best EQUAL -1 OR _len GREATER _best_len)
        set(_best ${_rank})
        set(_name ${_f})
      endif()
    endif()
    math(EXPR _rank "${_rank} + 1")
  endforeach()
  set(${out_rank} ${_best} PARENT_SCOPE)
  set(${out_folder} "${_name}" PARENT_SCOPE)
endfunction()

# The line of the first occurrence of `text` in `file`.
function(line_of file text out_line)
  file(READ "${file}" _content)
  string(FIND "${_content}" "${text}" _pos)
  string(SUBSTRING "${_content}" 0 ${_pos} _before)
  string(REGEX MATCHALL "\n" _breaks "${_before}")
  list(LENGTH _breaks _n)
  math(EXPR _n "${_n} + 1")
  set(${out_line} ${_n} PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE _sources RELATIVE "${ROOT}/framework" "${ROOT}/framework/*.h" "${ROOT}/framework/*.cpp")
set(_errors 0)
foreach(_src IN LISTS _sources)
  get_filename_component(_src_dir "${_src}" DIRECTORY)
  if(_src_dir STREQUAL "")
    continue()  # hostfw itself
  endif()
  folder_rank("${_src}" _own _own_name)
  if(_own EQUAL -1)
    message(NOTICE "framework/${_src}: error: framework/${_src_dir} is not in the framework's folder order (${_order}); add it in framework/CMakeLists.txt")
    math(EXPR _errors "${_errors} + 1")
    continue()
  endif()
  file(STRINGS "${ROOT}/framework/${_src}" _includes
       REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]framework/[^\">]+[\">]")
  foreach(_line IN LISTS _includes)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[\"<]framework/([^\">]+)[\">].*$" "\\1" _header "${_line}")
    folder_rank("${_header}" _used _used_name)
    if(_used GREATER _own OR _used EQUAL -1)
      line_of("${ROOT}/framework/${_src}" "framework/${_header}" _at)
      if(_used EQUAL -1)
        set(_why "no folder of the framework's order holds it")
      else()
        set(_why "${_used_name} sits above ${_own_name}")
      endif()
      message(NOTICE "framework/${_src}:${_at}: error: ${_own_name} may not include framework/${_header}: ${_why} (framework folders, lowest first: ${_order})")
      math(EXPR _errors "${_errors} + 1")
    endif()
  endforeach()
endforeach()

if(_errors GREATER 0)
  message(FATAL_ERROR "${_errors} include(s) against the framework's folder order; see README.md, \"Source layout\"")
endif()
file(WRITE "${STAMP}" "framework folders in order\n")
