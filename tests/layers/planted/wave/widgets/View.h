#pragma once
#include "wave/Scene.h"
