// Identifiers of the test dialogs.
#ifndef VERSEMILL_TESTS_UI_TEST_RESOURCE_H
#define VERSEMILL_TESTS_UI_TEST_RESOURCE_H

#define IDD_TEST_DATA      9001
#define IDD_TEST_MODELESS  9002

#define IDB_TEST_PICTURE   9100

#define IDC_TEST_NUMBER    1001
#define IDC_TEST_NAME      1002
#define IDC_TEST_PLAIN_NUMBER 1003
#define IDC_TEST_LABEL     1010
#define IDC_TEST_CHECK     1011
#define IDC_TEST_LIST      1020
#define IDC_TEST_COMBO     1021
#define IDC_TEST_COMMAND   1100

#define IDS_TEST_HINT      300

#endif
