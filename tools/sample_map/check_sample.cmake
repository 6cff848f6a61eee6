# Runs the sample map program as the build does and checks what it promises: the same seed
# gives the same bytes, another seed another map, the size asked for (read from the JPEG's
# frame header), and a refusal of a bad command line.
#   cmake -DPROGRAM=... -DWORK=... -P check_sample.cmake
cmake_policy(VERSION 3.25)
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")

function(draw name)
    execute_process(COMMAND "${PROGRAM}" "${WORK}/${name}.jpg" ${ARGN}
                    RESULT_VARIABLE result ERROR_VARIABLE errors)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "${name}: exit ${result}: ${errors}")
    endif()
endfunction()

draw(first --seed 7 --width 400 --height 300)
draw(again --seed 7 --width 400 --height 300)
draw(other --seed 8 --width 400 --height 300)
draw(narrowest --seed 7 --width 200 --height 401)

file(SHA256 "${WORK}/first.jpg" first)
file(SHA256 "${WORK}/again.jpg" again)
file(SHA256 "${WORK}/other.jpg" other)
if(NOT first STREQUAL again)
    message(FATAL_ERROR "the same seed gave two different maps")
endif()
if(first STREQUAL other)
    message(FATAL_ERROR "seeds 7 and 8 gave the same map")
endif()

# The baseline frame header: FF C0, length, precision 8, then height and width, big-endian.
# In the compressed data an FF is always followed by 00 or a restart marker, so the first
# match at a byte boundary is the header.
function(expect_size name width height)
    file(READ "${WORK}/${name}.jpg" hex HEX)
    set(from 0)
    while(TRUE)
        string(SUBSTRING "${hex}" ${from} -1 rest)
        string(FIND "${rest}" "ffc0001108" found)
        if(found EQUAL -1)
            message(FATAL_ERROR "${name}.jpg: no baseline JPEG frame header")
        endif()
        math(EXPR at "${from} + ${found} + 10")
        math(EXPR odd "${at} % 2")
        if(NOT odd)
            break()
        endif()
        set(from ${at})
    endwhile()
    string(SUBSTRING "${hex}" ${at} 8 dimensions)
    math(EXPR expected "(${height} << 16) | ${width}" OUTPUT_FORMAT HEXADECIMAL)
    math(EXPR found "0x${dimensions}" OUTPUT_FORMAT HEXADECIMAL)
    if(NOT found STREQUAL expected)
        message(FATAL_ERROR "${name}.jpg: ${found} (height << 16 | width), not ${expected}")
    endif()
endfunction()
expect_size(first 400 300)
expect_size(narrowest 200 401)

foreach(bad "--width;199" "--height;12001" "--seed;many" "--colour;red")
    execute_process(COMMAND "${PROGRAM}" "${WORK}/bad.jpg" ${bad}
                    RESULT_VARIABLE result OUTPUT_QUIET ERROR_QUIET)
    if(result EQUAL 0 OR EXISTS "${WORK}/bad.jpg")
        message(FATAL_ERROR "${bad} was accepted")
    endif()
endforeach()
file(REMOVE_RECURSE "${WORK}")
