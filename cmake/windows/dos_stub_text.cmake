# Post-link step of demo8.exe: its DOS stub says
#   "Kokeiles nyt ihan kiltisti Windowsilla." CR CR LF "$"
# in place of the linker's usual text, which has the same length. Only those
# 39 bytes and the image checksum change; every size and offset stays.
#
#   cmake -DEXE=demo8.exe -DCXX=<cross g++> -DOBJCOPY=<cross objcopy>
#         -DWORK=<scratch dir> -P dos_stub_text.cmake
#
# CMake strings cannot hold NUL bytes, so the file is spliced by the cross
# toolchain itself: an assembler .incbin of the unchanged parts around the new
# bytes, and objcopy to turn the result back into a plain file.

foreach(var EXE CXX OBJCOPY WORK)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "dos_stub_text: ${var} is not set")
  endif()
endforeach()

set(USUAL_TEXT "This program cannot be run in DOS mode.")
set(OUR_TEXT "Kokeiles nyt ihan kiltisti Windowsilla.")
# Where the string printed by the linker's stub starts (its code occupies
# 0x40..0x4D); it ends with CR CR LF "$". The offset is even, which the
# checksum update below relies on.
set(TEXT_OFFSET 78)
set(TEXT_END_HEX "0d0d0a24")

function(fail why)
  # Leave no unpatched program behind that a later build would take as done.
  file(REMOVE "${EXE}")
  message(FATAL_ERROR "dos_stub_text: ${EXE}: ${why}")
endfunction()

# Little-endian unsigned value of `size` bytes of `hex` starting at byte `at`.
function(le_value hex at size out)
  set(value 0)
  math(EXPR last "${at} + ${size} - 1")
  foreach(i RANGE ${last} ${at} -1)
    math(EXPR pos "${i} * 2")
    string(SUBSTRING "${hex}" ${pos} 2 byte)
    math(EXPR value "(${value} << 8) | 0x${byte}")
  endforeach()
  set(${out} ${value} PARENT_SCOPE)
endfunction()

function(read_le offset size out)
  file(READ "${EXE}" hex OFFSET ${offset} LIMIT ${size} HEX)
  le_value("${hex}" 0 ${size} value)
  set(${out} ${value} PARENT_SCOPE)
endfunction()

string(LENGTH "${USUAL_TEXT}" text_length)
string(LENGTH "${OUR_TEXT}" our_length)
if(NOT text_length EQUAL our_length)
  message(FATAL_ERROR "dos_stub_text: the new text must keep the usual length")
endif()
string(HEX "${USUAL_TEXT}" usual_hex)
string(HEX "${OUR_TEXT}" our_hex)
math(EXPR text_end "${TEXT_OFFSET} + ${text_length}")

# A PE file whose stub ends before the PE header.
file(READ "${EXE}" magic LIMIT 2 HEX)
if(NOT magic STREQUAL "4d5a") # "MZ"
  fail("not an MZ executable")
endif()
read_le(60 4 pe_offset)
file(READ "${EXE}" pe_signature OFFSET ${pe_offset} LIMIT 4 HEX)
if(NOT pe_signature STREQUAL "50450000")
  fail("no PE header")
endif()
math(EXPR stub_end "${text_end} + 4")
if(pe_offset LESS stub_end)
  fail("the DOS stub is too short to hold the text")
endif()

math(EXPR found_length "${text_length} + 4")
file(READ "${EXE}" found_hex OFFSET ${TEXT_OFFSET} LIMIT ${found_length} HEX)
if(found_hex STREQUAL "${our_hex}${TEXT_END_HEX}")
  return() # already done
endif()
if(NOT found_hex STREQUAL "${usual_hex}${TEXT_END_HEX}")
  fail("the usual DOS stub text is not at offset ${TEXT_OFFSET}")
endif()

# The image checksum covers the stub. It is the end-around-carry sum of the
# file's 16-bit words (the checksum field counted as 0), folded to 16 bits,
# plus the file length. Being a sum modulo 0xFFFF, it is updated by taking the
# old words of the text out and the new ones in. 0 means "not set" and stays.
math(EXPR checksum_offset "${pe_offset} + 24 + 64")
read_le(${checksum_offset} 4 checksum)
file(SIZE "${EXE}" file_size)
if(NOT checksum EQUAL 0)
  math(EXPR sum "${checksum} - ${file_size}")
  if(sum LESS 1 OR sum GREATER 65535)
    fail("the PE checksum ${checksum} does not fit the file length")
  endif()
  # Whole words: the text starts at an even offset; its odd length leaves its
  # last byte paired with the unchanged CR after it.
  string(SUBSTRING "${found_hex}" 0 80 old_words)
  string(SUBSTRING "${found_hex}" 78 2 first_cr)
  set(new_words "${our_hex}${first_cr}")
  math(EXPR sum "${sum} % 65535")
  foreach(at RANGE 0 38 2)
    le_value("${old_words}" ${at} 2 old_word)
    le_value("${new_words}" ${at} 2 new_word)
    math(EXPR sum "(${sum} + 65535 - ${old_word} + ${new_word}) % 65535")
  endforeach()
  if(sum EQUAL 0)
    set(sum 65535)
  endif()
  math(EXPR checksum "${sum} + ${file_size}")
endif()

file(MAKE_DIRECTORY "${WORK}")
string(REPLACE "\\" "\\\\" exe_quoted "${EXE}")
string(REPLACE "\"" "\\\"" exe_quoted "${exe_quoted}")
math(EXPR middle_length "${checksum_offset} - ${text_end}")
math(EXPR after_checksum "${checksum_offset} + 4")
file(WRITE "${WORK}/splice.s"
  "\t.data\n"
  "\t.incbin \"${exe_quoted}\", 0, ${TEXT_OFFSET}\n"
  "\t.ascii \"${OUR_TEXT}\"\n"
  "\t.incbin \"${exe_quoted}\", ${text_end}, ${middle_length}\n"
  "\t.long ${checksum}\n"
  "\t.incbin \"${exe_quoted}\", ${after_checksum}\n")
execute_process(
  COMMAND "${CXX}" -c -x assembler "${WORK}/splice.s" -o "${WORK}/splice.o"
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  fail("assembling the splice failed")
endif()
execute_process(
  COMMAND "${OBJCOPY}" -O binary -j .data "${WORK}/splice.o" "${WORK}/spliced.exe"
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  fail("objcopy failed")
endif()

# The result must be the original with exactly the text and the checksum
# replaced.
file(READ "${EXE}" old_hex HEX)
file(READ "${WORK}/spliced.exe" new_hex HEX)
math(EXPR head_length "${TEXT_OFFSET} * 2")
math(EXPR middle_start "${text_end} * 2")
math(EXPR middle_hex_length "${middle_length} * 2")
math(EXPR tail_start "${after_checksum} * 2")
string(SUBSTRING "${old_hex}" 0 ${head_length} head)
string(SUBSTRING "${old_hex}" ${middle_start} ${middle_hex_length} middle)
string(SUBSTRING "${old_hex}" ${tail_start} -1 tail)
set(checksum_hex "")
foreach(shift 0 8 16 24)
  math(EXPR byte "(${checksum} >> ${shift}) & 255" OUTPUT_FORMAT HEXADECIMAL)
  string(SUBSTRING "${byte}" 2 -1 byte)
  string(LENGTH "${byte}" n)
  if(n EQUAL 1)
    set(byte "0${byte}")
  endif()
  string(APPEND checksum_hex "${byte}")
endforeach()
if(NOT new_hex STREQUAL "${head}${our_hex}${middle}${checksum_hex}${tail}")
  fail("the spliced file differs from the original in more than the text and checksum")
endif()

file(COPY_FILE "${WORK}/spliced.exe" "${EXE}")
file(CHMOD "${EXE}" FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
     WORLD_READ WORLD_EXECUTE)
file(REMOVE "${WORK}/splice.s" "${WORK}/splice.o" "${WORK}/spliced.exe")
