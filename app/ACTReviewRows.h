#pragma once

#include "app/ReviewModel.h"

// The rows of the ACT! review page for a data type, read from the ACT! record attached to each
// common record (the common record stands in for one without it).
const ReviewModel::Kind& ACTReviewKind(int type);
