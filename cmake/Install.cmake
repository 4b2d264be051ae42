# Install: where everything but the programs and the bundle goes (manual pages, completions, the desktop entry,
# the host's systemd user unit, documentation), laid out as Debian and freedesktop.org expect under any prefix.

# The programs find their bundle at bin/../share/velto-widget (Platform's resourceDirectory), in the build tree
# as after install; other folder names would install a program that cannot find it.
if(NOT CMAKE_INSTALL_BINDIR STREQUAL "bin" OR NOT CMAKE_INSTALL_DATADIR STREQUAL "share")
  message(FATAL_ERROR "CMAKE_INSTALL_BINDIR must be bin and CMAKE_INSTALL_DATADIR share (not \"${CMAKE_INSTALL_BINDIR}\" "
                      "and \"${CMAKE_INSTALL_DATADIR}\"): the programs find their resources at bin/../share/velto-widget")
endif()

set(velto_packaging_dir ${PROJECT_SOURCE_DIR}/packaging)

# Manual pages, made from each program's --help and --version by help2man (with each command's help, see
# ManualPage.cmake), so that they cannot drift from the programs; the include file adds what --help does not say
# (files, environment, exit status).
find_program(HELP2MAN help2man REQUIRED)
set(velto_manual_pages)
foreach(program IN ITEMS velto-widget velto-widget-desktop)
  set(page ${CMAKE_BINARY_DIR}/man/${program}.1)
  set(include ${velto_packaging_dir}/${program}.h2m)
  add_custom_command(
    OUTPUT ${page}
    COMMAND ${CMAKE_COMMAND} -DHELP2MAN=${HELP2MAN} -DPROGRAM=$<TARGET_FILE:${program}> -DINCLUDE=${include}
            -DOUTPUT=${page} -P ${CMAKE_CURRENT_LIST_DIR}/ManualPage.cmake
    DEPENDS ${program} ${include} ${CMAKE_CURRENT_LIST_DIR}/ManualPage.cmake
    COMMENT "Writing the manual page of ${program}"
    VERBATIM)
  list(APPEND velto_manual_pages ${page})
endforeach()
add_custom_target(manual-pages ALL DEPENDS ${velto_manual_pages})
install(FILES ${velto_manual_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# Shell completions, where each shell looks for them. bash-completion loads a file by the command's name, so the
# one file is installed under both names. Debian's zsh reads packages' completions from vendor-completions and
# the administrator's from /usr/local's site-functions.
set(velto_completions ${PROJECT_SOURCE_DIR}/resources/completions)
foreach(program IN ITEMS velto-widget velto-widget-desktop)
  install(FILES ${velto_completions}/velto-widget.bash DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
          RENAME ${program})
  install(FILES ${velto_completions}/${program}.fish DESTINATION ${CMAKE_INSTALL_DATADIR}/fish/vendor_completions.d)
endforeach()
if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  set(velto_zsh_default ${CMAKE_INSTALL_DATADIR}/zsh/vendor-completions)
else()
  set(velto_zsh_default ${CMAKE_INSTALL_DATADIR}/zsh/site-functions)
endif()
set(VELTO_ZSH_COMPLETION_DIR ${velto_zsh_default} CACHE STRING "Where zsh completions are installed")
install(FILES ${velto_completions}/_velto-widget DESTINATION ${VELTO_ZSH_COMPLETION_DIR})

# The desktop widgets' entry, named after their application id; the same file is what a user puts in
# ~/.config/autostart to start them at log-in.
install(FILES ${PROJECT_SOURCE_DIR}/resources/desktop/com.velto.WidgetDesktop.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

# The host's systemd user unit names the program by its absolute path, so it is written when installing, for the
# prefix installed into (cmake --install --prefix may differ from the configured one). systemd reads user units
# from lib/systemd/user under /usr and /usr/local, whatever the platform's library folder.
set(velto_unit_template ${PROJECT_SOURCE_DIR}/resources/systemd/velto-widget-host.service.in)
install(CODE "
  set(VELTO_HOST_PROGRAM \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/velto-widget\")
  set(VELTO_HOST_ENV_EXAMPLE \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DOCDIR}/examples/host.env.example\")
  set(unit \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/lib/systemd/user/velto-widget-host.service\")
  message(STATUS \"Installing: \${unit}\")
  configure_file(\"${velto_unit_template}\" \"\${unit}\" @ONLY)
  list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${unit}\")")

# Documentation: the licence, the report format for collector authors, and examples (the host's environment
# file, and the status-bar snippets of examples/ when the checkout has them).
install(FILES ${velto_packaging_dir}/copyright ${PROJECT_SOURCE_DIR}/docs/report-format.md
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${PROJECT_SOURCE_DIR}/resources/systemd/host.env.example DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)
if(EXISTS ${PROJECT_SOURCE_DIR}/examples)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)
endif()
