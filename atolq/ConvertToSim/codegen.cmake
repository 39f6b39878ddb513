# Simulation code generation: page types and states, shared binding code,
# per-transition code, the switch to the simulator and model time.
add_library(atolq_codegen STATIC
  ${CMAKE_CURRENT_LIST_DIR}/CTSSwitch.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CTSPageState.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CTSBindCode.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CTSTransCode.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CTSModelTime.cpp)
target_include_directories(atolq_codegen PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(atolq_codegen PUBLIC atolq_converttosim atolq_aeditor atolq_smleval atolq_utils)
