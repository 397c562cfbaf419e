# Lays out DISC1 and DISC2 of the sample product from scratch, builds the
# package with setuppack and checks the discs against it.
#   cmake -DSOURCE= -DSTAGE= -DDISCS= -DSETUPPACK= -DGAME= -DDXSETUP= [-DLAUNCHER=] -P AssembleDiscs.cmake

set(disc1 ${DISCS}/DISC1)
set(disc2 ${DISCS}/DISC2)
file(REMOVE_RECURSE ${disc1} ${disc2})
file(MAKE_DIRECTORY ${disc1} ${disc2})
file(COPY ${SOURCE}/disc1/ DESTINATION ${disc1})
file(COPY ${SOURCE}/disc2/ DESTINATION ${disc2})

function(place from to)
  get_filename_component(folder ${to} DIRECTORY)
  file(MAKE_DIRECTORY ${folder})
  configure_file(${from} ${to} COPYONLY)
endfunction()

place(${GAME} ${disc1}/game.exe)
place(${DXSETUP} ${disc1}/directx/dxsetup.exe)
place(${STAGE}/readme.txt ${disc1}/readme.txt)
place(${STAGE}/cover.bmp ${disc1}/data/表紙.bmp)
if(LAUNCHER)
  place(${LAUNCHER} ${disc1}/setup.exe)
endif()

execute_process(
  COMMAND ${SETUPPACK} build --settings ${STAGE}/setting.csv
    --launcher-picture ${STAGE}/launcher.bmp --wizard-picture ${STAGE}/wizard.bmp
    --disc DISC1=${disc1} --disc DISC2=${disc2} -o ${disc1}/setup
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "setuppack build failed for the sample product")
endif()
execute_process(
  COMMAND ${SETUPPACK} check ${disc1}/setup --disc DISC1=${disc1} --disc DISC2=${disc2} --quiet
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "setuppack check found problems on the sample discs")
endif()
