# Lays out one product for the end-to-end scenarios: a folder per disc label
# with the files its settings list, and the package, built by the native
# setuppack, in the folder of PACKAGE_DISC.
#   cmake -DNAME= -DCSV= -DOUT= -DSTAGE= -DSETUPPACK= -DICONV=
#         -DGAME= -DDXSETUP= [-DWITH_DXSETUP=ON] [-DPACKAGE_DISC=DISC1]
#         -DLAUNCHER_PICTURE= -DWIZARD_PICTURE=
#         -P MakeFixture.cmake
# CSV is the settings table in UTF-8; the package gets it in code page 932
# with CR LF line ends, as a publisher writes it. The program file named by
# "実行ファイル" is the sample game, the readme a short text, a file named
# empty* is empty; every other file holds its own name.

if(NOT PACKAGE_DISC)
  set(PACKAGE_DISC DISC1)
endif()
set(root ${OUT}/${NAME})
file(REMOVE_RECURSE ${root})
file(MAKE_DIRECTORY ${root}/${PACKAGE_DISC} ${STAGE})

file(STRINGS ${CSV} lines ENCODING UTF-8)
set(exe "")
set(readme "")
set(labels ${PACKAGE_DISC})
set(entries)
foreach(line IN LISTS lines)
  string(REPLACE "," ";" cells "${line}")
  list(LENGTH cells count)
  if(count LESS 2)
    continue()
  endif()
  list(GET cells 0 key)
  list(GET cells 1 value)
  if(key STREQUAL "実行ファイル")
    set(exe "${value}")
  elseif(key STREQUAL "readmeファイル")
    set(readme "${value}")
  elseif(key STREQUAL "ファイル")
    set(label DISC1)
    if(count GREATER 2)
      list(GET cells 2 label)
    endif()
    list(APPEND labels ${label})
    list(APPEND entries "${label}|${value}")
  endif()
endforeach()
list(REMOVE_DUPLICATES labels)

foreach(entry IN LISTS entries)
  string(REPLACE "|" ";" entry "${entry}")
  list(GET entry 0 label)
  list(GET entry 1 name)
  string(REPLACE "\\" "/" relative "${name}")
  set(target ${root}/${label}/${relative})
  get_filename_component(folder ${target} DIRECTORY)
  file(MAKE_DIRECTORY ${folder})
  if(name STREQUAL exe)
    file(COPY_FILE ${GAME} ${target})
  elseif(name STREQUAL readme)
    file(WRITE ${target} "${NAME}: readme\r\n")
  elseif(name MATCHES "empty[^\\]*$")
    file(WRITE ${target} "")
  else()
    string(REPEAT "${NAME} ${name}\r\n" 64 content)
    file(WRITE ${target} "${content}")
  endif()
endforeach()

if(WITH_DXSETUP)
  file(MAKE_DIRECTORY ${root}/${PACKAGE_DISC}/directx)
  file(COPY_FILE ${DXSETUP} ${root}/${PACKAGE_DISC}/directx/dxsetup.exe)
endif()

file(READ ${CSV} text)
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE ${STAGE}/${NAME}.utf8.csv "${text}")
execute_process(COMMAND ${ICONV} -f UTF-8 -t CP932 ${STAGE}/${NAME}.utf8.csv
  OUTPUT_FILE ${STAGE}/${NAME}.csv RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "fixture ${NAME}: the settings do not convert to code page 932")
endif()

set(build_args --settings ${STAGE}/${NAME}.csv --launcher-picture ${LAUNCHER_PICTURE} --wizard-picture ${WIZARD_PICTURE})
foreach(label IN LISTS labels)
  file(MAKE_DIRECTORY ${root}/${label})
  list(APPEND build_args --disc ${label}=${root}/${label})
endforeach()
execute_process(COMMAND ${SETUPPACK} build ${build_args} -o ${root}/${PACKAGE_DISC}/setup RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "fixture ${NAME}: setuppack build failed")
endif()
