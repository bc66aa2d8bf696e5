#pragma once
#include "wave/widgets/View.h"
