// Controls of the usage window (template 111).
#pragma once

#define IDC_USAGE_ADAPTER 1101
#define IDC_USAGE_CHART 1102
#define IDC_USAGE_MONTHS 1103
#define IDC_USAGE_NOTICE 1104
#define IDC_USAGE_EXPORT 1105
// The totals: row r (today, yesterday, this month, last month, allowance, at
// this pace), column c (downloaded, uploaded, total) at IDC_USAGE_TOTALS + 3 r + c.
#define IDC_USAGE_TOTALS 1110
#define IDC_USAGE_ALLOWANCE_LABEL 1130
#define IDC_USAGE_PACE_LABEL 1131
