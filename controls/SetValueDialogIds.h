#pragma once
// Ids of the "Set value" dialog template; shared by the resource script and the code.
#define kSetValueDialog 15092
#define kSetValueName 15901
#define kSetValueCurrent1 15902
#define kSetValueCurrent2 15903
#define kSetValueType 15904
#define kSetValueRange 15905
#define kSetValueNewValue 15906
#define kSetValueNewSecond 15907
#define kSetValueNewMin 15908
#define kSetValueNewMax 15909
