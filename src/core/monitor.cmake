target_sources(quillmark_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/PropertyPath.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MonitorPaths.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MonitorEvent.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MonitorStateStore.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MeterChannelDefinition.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MeterChannel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MeterStore.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MeterChannelOrder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ChannelLayout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MonitorPathDiscovery.cpp
)
