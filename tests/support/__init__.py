"""Helpers that the test suites under tests/ share."""
