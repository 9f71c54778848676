// SPDX-License-Identifier: MIT
#pragma once

class TestDatabase;

// Makes every write of a phone row holding "boom" fail inside the database:
// inserting or updating to it, updating or deleting it.
void makePhoneWritesFail(const TestDatabase& database);
