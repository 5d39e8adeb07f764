# The build stamp of the About box, TV_STAMP (%d%m%y): the date of the last commit, or
# SOURCE_DATE_EPOCH when set, never the clock, so that two builds of one commit are identical.
# Included by both builds that show the About box: the Windows program and the web page.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(epoch $ENV{SOURCE_DATE_EPOCH})
else()
  execute_process(COMMAND git log -1 --format=%ct WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                  OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  execute_process(COMMAND git rev-parse --git-path logs/HEAD
                  WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                  OUTPUT_VARIABLE head_log OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  if(head_log)
    # A new commit changes the stamp, so it configures the build again.
    get_filename_component(head_log ${head_log} ABSOLUTE BASE_DIR ${PROJECT_SOURCE_DIR})
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${head_log})
  endif()
endif()
if(epoch)
  set(saved "$ENV{SOURCE_DATE_EPOCH}")
  set(ENV{SOURCE_DATE_EPOCH} ${epoch})
  string(TIMESTAMP TV_STAMP "%d%m%y" UTC)
  set(ENV{SOURCE_DATE_EPOCH} "${saved}")
else()
  # Outside a git checkout: the date of the sources as unpacked.
  file(TIMESTAMP ${PROJECT_SOURCE_DIR}/CMakeLists.txt TV_STAMP "%d%m%y" UTC)
endif()
