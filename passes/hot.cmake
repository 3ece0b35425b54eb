# The physics of hot rolling: flow-stress laws, strain rates and the
# strip's temperature, over the analysis's headers. Boost.Odeint
# (libboost-dev, headers only) integrates the radiative cooling.
find_package(Boost REQUIRED)
add_library(orowan_hot STATIC
  ${CMAKE_CURRENT_LIST_DIR}/hot_flow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/strain_rate.cpp
  ${CMAKE_CURRENT_LIST_DIR}/temperature.cpp)
target_link_libraries(orowan_hot PUBLIC orowan_core Boost::headers)

# Prints the figures of docs/hot-rolling.md.
add_executable(orowan_hot_demo ${CMAKE_CURRENT_LIST_DIR}/hot_demo.cpp)
target_link_libraries(orowan_hot_demo PRIVATE orowan_hot)

if(OROWAN_TESTS)
  enable_testing()
  add_subdirectory(${CMAKE_CURRENT_LIST_DIR}/../tests/passes ${CMAKE_BINARY_DIR}/tests/passes)
endif()
