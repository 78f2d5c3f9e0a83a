-- A session in headless Neovim with its built-in client and korvane-lsp:
-- a description with a mistake is opened, its diagnostic arrives, hover and
-- completion answer, the buffer is fixed and the diagnostic goes.
--   KORVANE_LSP=path nvim --headless -u NONE -i NONE -n -c "luafile session_test.lua"
local here = debug.getinfo(1, 'S').source:sub(2):match('(.*)/')
package.path = here .. '/lua/?.lua;' .. here .. '/lua/?/init.lua;' .. package.path
local korvane = require('korvane')

local function finish(failure)
  if failure then
    io.stdout:write('FAIL: ' .. failure .. '\n')
    vim.cmd('cquit 1')
  else
    io.stdout:write('ok\n')
    vim.cmd('qall!')
  end
end

local ok, failure = pcall(function()
  local dir = vim.fn.tempname()
  vim.fn.mkdir(dir .. '/images', 'p')
  vim.fn.writefile({ 'BM' }, dir .. '/images/bg.bmp')
  vim.fn.writefile({
    '/ A skin with a misspelt item name',
    'SKINTYPE scalable',
    'NAME 1 "Session"',
    'BITMAPPATH images',
    'BITMAP IID=QsnBgScren c16 bg.bmp',
  }, dir .. '/skin.txt')

  vim.cmd('edit ' .. vim.fn.fnameescape(dir .. '/skin.txt'))
  local buf = vim.api.nvim_get_current_buf()
  local client = korvane.attach(buf, { cmd = { os.getenv('KORVANE_LSP') } })
  assert(client, 'the client did not start')

  local function errors()
    return vim.diagnostic.get(buf, { severity = vim.diagnostic.severity.ERROR })
  end
  assert(vim.wait(20000, function() return #errors() > 0 end, 50), 'no diagnostic arrived')
  local first = errors()[1]
  assert(first.message:find('No match found for item ID', 1, true), 'diagnostic: ' .. first.message)
  assert(first.lnum == 4, 'diagnostic on line ' .. first.lnum)

  local function ask(method, line, character)
    local params = {
      textDocument = { uri = vim.uri_from_bufnr(buf) },
      position = { line = line, character = character },
    }
    local replies = vim.lsp.buf_request_sync(buf, method, params, 10000)
    assert(replies and replies[client], method .. ': no answer')
    assert(not replies[client].err, method .. ': ' .. vim.inspect(replies[client].err))
    return replies[client].result
  end

  local hover = ask('textDocument/hover', 4, 2)
  assert(hover and hover.contents.value:find('BITMAP', 1, true), 'hover: ' .. vim.inspect(hover))
  local image = ask('textDocument/hover', 4, 27)
  assert(image and image.contents.value:find('images/bg.bmp', 1, true), 'image hover: ' .. vim.inspect(image))

  local completion = ask('textDocument/completion', 4, 20)
  local found = false
  for _, item in ipairs(completion.items or completion) do
    if item.label == 'QsnBgScreen' then found = true end
  end
  assert(found, 'completion lacks QsnBgScreen')

  vim.api.nvim_buf_set_lines(buf, 4, 5, false, { 'BITMAP IID=QsnBgScreen c16 bg.bmp' })
  assert(vim.wait(20000, function() return #errors() == 0 end, 50), 'the diagnostic stayed')

  vim.lsp.stop_client(client)
  vim.wait(5000, function() return vim.lsp.get_client_by_id(client) == nil end, 50)
  vim.fn.delete(dir, 'rf')
end)
finish(not ok and tostring(failure) or nil)
