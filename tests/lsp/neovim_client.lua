-- Run inside a headless Neovim: starts formula-lsp for the file being
-- edited, waits for its diagnostics, jumps to the definition of the name
-- under the cursor, and writes what Neovim received to $NVIM_RESULT.
local result = {}
vim.cmd("edit " .. vim.fn.fnameescape(os.getenv("FORMULA_FILE")))
local client = vim.lsp.start_client({
  name = "formula-lsp",
  cmd = { os.getenv("FORMULA_LSP") },
  root_dir = vim.fn.fnamemodify(os.getenv("FORMULA_FILE"), ":h"),
})
vim.lsp.buf_attach_client(0, client)
vim.wait(20000, function() return #vim.diagnostic.get(0) > 0 end, 20)
for _, d in ipairs(vim.diagnostic.get(0)) do
  table.insert(result, string.format("diagnostic %d %d %d %d %s", d.lnum, d.col, d.end_lnum, d.end_col, d.message))
end
local row = tonumber(os.getenv("JUMP_LINE"))
local col = tonumber(os.getenv("JUMP_COLUMN"))
vim.api.nvim_win_set_cursor(0, { row, col })
vim.lsp.buf.definition()
vim.wait(20000, function() return vim.api.nvim_win_get_cursor(0)[1] ~= row end, 20)
local cursor = vim.api.nvim_win_get_cursor(0)
table.insert(result, string.format("cursor %d %d", cursor[1], cursor[2]))
vim.fn.writefile(result, os.getenv("NVIM_RESULT"))
vim.lsp.stop_client(client)
vim.cmd("qa!")
