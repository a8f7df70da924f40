# The versions, each said once here. The version resources, the manifests,
# the help file's heading, the ZIP's name, the converter's banner and the
# tests that check them are all generated from these variables.
#
# The release is the song manager's: project()'s major.minor.patch, as its
# About box and help file show it. Its file version puts the patch in the
# last field and leaves the third at 0 (major.minor.0.patch), as the
# program has always numbered its files. The converter and the importer keep versions
# of their own.
set(KICKORA_TUNEDECK_VERSION
  "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.0.${PROJECT_VERSION_PATCH}")
set(KICKORA_TONEPAK_VERSION "0.40")
set(KICKORA_TUNEGRAB_VERSION "1.0.0.0")

# kickora_version_fields(<prefix> <version>): <prefix>_FULL, the version
# in four dotted fields (missing ones are 0), and <prefix>_NUMBERS, the
# same fields separated by commas as a VERSIONINFO statement wants them.
function(kickora_version_fields prefix version)
  string(REPLACE "." ";" fields "${version}")
  list(LENGTH fields count)
  if(count LESS 1 OR count GREATER 4)
    message(FATAL_ERROR "version ${version} has ${count} fields, not 1 to 4")
  endif()
  while(count LESS 4)
    list(APPEND fields 0)
    math(EXPR count "${count} + 1")
  endwhile()
  list(JOIN fields "." full)
  list(JOIN fields "," numbers)
  set(${prefix}_FULL "${full}" PARENT_SCOPE)
  set(${prefix}_NUMBERS "${numbers}" PARENT_SCOPE)
endfunction()

kickora_version_fields(KICKORA_TUNEDECK "${KICKORA_TUNEDECK_VERSION}")
kickora_version_fields(KICKORA_TONEPAK "${KICKORA_TONEPAK_VERSION}")
kickora_version_fields(KICKORA_TUNEGRAB "${KICKORA_TUNEGRAB_VERSION}")

# The manifests name the processor the programs are built for, and the
# package says it in its name (the release is the 32-bit build; a 64-bit
# test build is named apart).
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(KICKORA_MANIFEST_ARCH amd64)
  set(KICKORA_PACKAGE_SYSTEM win64)
else()
  set(KICKORA_MANIFEST_ARCH x86)
  set(KICKORA_PACKAGE_SYSTEM win32)
endif()

# One header for the resource scripts, the programs and the tests.
set(KICKORA_GENERATED_DIR ${PROJECT_BINARY_DIR}/generated)
configure_file(${CMAKE_CURRENT_LIST_DIR}/kickora_version.h.in ${KICKORA_GENERATED_DIR}/kickora_version.h @ONLY)
add_library(kickora_version INTERFACE)
target_include_directories(kickora_version INTERFACE ${KICKORA_GENERATED_DIR})

# kickora_program_resources(<target> <program> <resource script> <manifest template>):
# the program's manifest generated from its template with the program's
# version and the build's processor, beside the version header where the
# resource script finds both.
function(kickora_program_resources target program rc manifest_template)
  string(TOUPPER "${program}" upper)
  set(PROGRAM_VERSION "${KICKORA_${upper}_FULL}")
  set(PROGRAM_ARCH "${KICKORA_MANIFEST_ARCH}")
  set(manifest ${KICKORA_GENERATED_DIR}/${program}.manifest)
  configure_file(${manifest_template} ${manifest} @ONLY)
  target_sources(${target} PRIVATE ${rc})
  target_link_libraries(${target} PRIVATE kickora_version)
  set_property(SOURCE ${rc} APPEND PROPERTY OBJECT_DEPENDS
    ${manifest} ${KICKORA_GENERATED_DIR}/kickora_version.h)
endfunction()
