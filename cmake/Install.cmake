# Install rules and packaging (included from src/CMakeLists.txt).
install(TARGETS sorvane-timer RUNTIME DESTINATION bin)
