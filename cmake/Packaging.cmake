# Installation of the programs and the Debian package made by CPack.
# scripts/package.sh builds the package from a Release build.
set(programs zld-run zld-sim)
foreach(window_program zld3300 zld-fleet)
    if(TARGET ${window_program})
        list(APPEND programs ${window_program})
    endif()
endforeach()
install(TARGETS ${programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

set(ZLD_PACKAGE_CONTACT "ZLD-3300 TRIO control program team <zld3300@localhost>"
    CACHE STRING "Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zld3300)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${ZLD_PACKAGE_CONTACT})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "control program for the ZLD-3300 TRIO 3-phase electronic load")
set(CPACK_PACKAGE_DESCRIPTION
    "Edits battery tests as tables of steps, runs them on the ZLD-3300 TRIO 3-phase AC/DC\n"
    "electronic load over GPIB, serial or LAN, shows the three phases and keeps a CSV data\n"
    "log of every measurement point. Programs: zld3300 (the window), zld-run (the same\n"
    "engine without a window), zld-sim (a simulated load on 127.0.0.1) and zld-fleet\n"
    "(every station of a lab publishing to an MQTT broker, in one window).")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The libraries the programs link come from the binaries; the window also
# needs Qt's platform plugins, which no binary links.
if(TARGET zld3300)
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
endif()
# Scripts rehearse against zld-sim from Python through PyVISA.
# The lab's broker, for publishing runs and the fleet view.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "python3-pyvisa-py, mosquitto")
include(CPack)
