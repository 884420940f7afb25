/* Texts of the approved policy's export and import (kestromcheck's --export-policy and
   --import-policy), in resources/strings_policy.rc. */
#pragma once
#define IDS_POLICY_NOT_AVAILABLE 4300
