# The program variants of the end-to-end tests, the same for both programs: stores that lack a
# payload, or hold a broken record under the payload's name. OLVAN_TEST_RECORD_DIR holds the
# broken records (see tests/records/make_test_records.cpp).
olvan_test_variant(no-exe-payload 12QAAS03.PCK ${OLVAN_VOICE_RECORD})
olvan_test_variant(no-voice-payload OLVAN.PCK ${OLVAN_EXE_RECORD})
foreach(broken CUT BEFORE PAST HUGE)
    string(TOLOWER ${broken} name)
    olvan_test_variant(${name} OLVAN.PCK ${OLVAN_TEST_RECORD_DIR}/${broken}.PCK 12QAAS03.PCK ${OLVAN_VOICE_RECORD})
endforeach()
olvan_test_variant(voice-cut OLVAN.PCK ${OLVAN_EXE_RECORD} 12QAAS03.PCK ${OLVAN_TEST_RECORD_DIR}/CUT.PCK)
