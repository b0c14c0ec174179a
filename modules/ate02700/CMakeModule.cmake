# The module library. Its sources are compiled once, as objects shared by the library the
# host loads (linked to the one shared hostfw) and by the module's tests (linked to the
# framework's static parts, so a test executable holds exactly one copy of every singleton).
file(GLOB _ate02700_sources CONFIGURE_DEPENDS
     ${CMAKE_CURRENT_SOURCE_DIR}/package/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/package/*.h
     ${CMAKE_CURRENT_SOURCE_DIR}/main_form/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/main_form/*.h
     ${CMAKE_CURRENT_SOURCE_DIR}/emission/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/emission/*.h)

add_library(ate02700_objects OBJECT ${_ate02700_sources})
target_include_directories(ate02700_objects PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(ate02700_objects PUBLIC
  ate02700_model ate02700_contracts
  hostfw_forms hostfw_ui hostfw_grid hostfw_units hostfw_units_core hostfw_report hostfw_db hostfw_net hostfw_data
  ate_wire Qt6::Widgets Qt6::Network Qt6::Sql)
ate_warnings(ate02700_objects)

# libate02700.so in build/lib, next to hostfw. Only the objects are taken from the object
# library (not its static framework parts): every framework symbol resolves to libhostfw.so,
# which comes first on the link line.
add_library(ate02700 SHARED $<TARGET_OBJECTS:ate02700_objects>)
target_link_libraries(ate02700 PRIVATE hostfw ate02700_model ate02700_contracts)
target_link_options(ate02700 PRIVATE -Wl,--no-undefined)
ate_warnings(ate02700)

# The resource module: the screens' texts in another language, next to the library
# (libate02700_<language>.qm). The package loads the one for the user's language when it
# is present; without lrelease the module simply keeps its own texts.
find_program(ATE_LRELEASE NAMES lrelease-qt6 lrelease HINTS /usr/lib/qt6/bin /usr/lib/qt6/libexec)
file(GLOB _ate02700_ts CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/package/libate02700_*.ts)
if(ATE_LRELEASE AND _ate02700_ts)
  set(_ate02700_qm "")
  foreach(_ts IN LISTS _ate02700_ts)
    get_filename_component(_name ${_ts} NAME_WE)
    set(_qm ${CMAKE_LIBRARY_OUTPUT_DIRECTORY}/${_name}.qm)
    add_custom_command(OUTPUT ${_qm}
                       COMMAND ${ATE_LRELEASE} -silent ${_ts} -qm ${_qm}
                       DEPENDS ${_ts}
                       COMMENT "Resource module ${_name}.qm")
    list(APPEND _ate02700_qm ${_qm})
  endforeach()
  add_custom_target(ate02700_translations ALL DEPENDS ${_ate02700_qm})
  add_dependencies(ate02700 ate02700_translations)
  add_dependencies(ate02700_objects ate02700_translations)
endif()
