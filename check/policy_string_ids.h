/* Texts of the approved policy's export and import (kestromcheck's --export-policy and
   --import-policy), in resources/strings_policy.rc. */
#pragma once
#define IDS_POLICY_CANT_READ 4300
#define IDS_POLICY_TOO_LARGE 4301
#define IDS_POLICY_MALFORMED 4302
#define IDS_POLICY_FOREIGN 4303
#define IDS_POLICY_WRONG_VERSION 4304
#define IDS_POLICY_BAD_MEMBER 4305
#define IDS_POLICY_BAD_ENTRY 4306
#define IDS_POLICY_REFUSED 4308
#define IDS_POLICY_FILES_DIFFER 4309
#define IDS_POLICY_CANT_WRITE 4310
#define IDS_POLICY_EXPORT_TOO_LARGE 4311
#define IDS_POLICY_LEFT_OUT 4312
