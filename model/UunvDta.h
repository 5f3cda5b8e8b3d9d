#pragma once
// The modules of the ten kinds, their numbered lists and the machine program file, in one include.

#include "model/UCamCodes.h"
#include "model/ULstFile.h"
#include "model/UunvBase.h"
#include "model/UunvC.h"
#include "model/UunvF.h"
#include "model/UunvKinds.h"
#include "model/UunvList.h"
#include "model/UunvZ.h"
